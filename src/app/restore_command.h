// The Restore command: sends a backup file from the PC into the
// calculator's current directory and, only once the whole file arrived
// under its own name, tells the calculator to restore its memory from it.
#pragma once

#include <functional>
#include <string>

namespace dravik {

struct AppContext;
class CRemoteView;

// file is the backup file's path (the calculator keeps its name as the
// variable's name). Asks the line for the send and the restore command;
// done (may be empty) runs with true once the restore command was sent,
// false when nothing was restored (the user has been told why).
void RestoreArchive(AppContext& ctx, CRemoteView& list, const std::string& file,
                    std::function<void(bool restored)> done = {});

}  // namespace dravik
