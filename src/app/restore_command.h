// The Restore command: sends a backup file from CurrentPCFolder into the
// calculator's current directory and, only once the whole file arrived
// under its own name, tells the calculator to restore its memory from it.
#pragma once

#include <string>

namespace dravik {

struct AppContext;
class CRemoteView;

// name is the backup file's name in CurrentPCFolder (the calculator keeps
// it as the variable's name). True when the restore command was sent.
bool RestoreArchive(AppContext& ctx, CRemoteView& list, const std::string& name);

}  // namespace dravik
