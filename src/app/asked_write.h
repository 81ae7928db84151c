// Writing a file the user asked for (a picture, an extracted variable):
// whole or not at all, and an existing file is replaced only after the user
// said Yes to it.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "link/ui_boundary.h"

namespace dravik {

enum class AskedWrite { Written, Declined, Failed };

// Writes bytes to path. An existing file brings up "The file PATH already
// exists\nReplace it?" (caption "Dravik"); No leaves it alone (Declined). A
// file that cannot be written is reported ("Cannot create the file PATH",
// caption "ERROR") and nothing is left behind (Failed). Without a window an
// existing file is kept.
AskedWrite WriteAsking(MainWindowHandle* window, const std::string& path,
                       std::span<const uint8_t> bytes);

}  // namespace dravik
