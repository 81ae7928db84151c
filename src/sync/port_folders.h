// The calculator's ports beside HOME in a PC folder. A sync or backup of
// HOME keeps each port the calculator has in a folder of its own at the top
// of the PC folder, named by the one name rule after the port's tag: ":0:"
// is "%3A0%3A". No calculator name holds a colon, so no HOME variable can
// stand for such a folder.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "sync/pc_tree.h"

namespace dravik::sync {

std::string PortFolderName(int port);

// The port a folder at the top of a HOME sync stands for.
std::optional<int> PortOfFolder(std::string_view pc_name);

// Leaves the port folders, and all below them, out of a tree read for HOME.
void LeavePortFoldersOut(PcTree& tree);
// Leaves every folder out of a tree read for a port: a port holds no
// directories to make or fill.
void LeaveSubfoldersOut(PcTree& tree);

}  // namespace dravik::sync
