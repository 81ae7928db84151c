// HP48 > Install Library...: a library file stored in a port the user
// chooses (port 0 unless said otherwise; the 49's flash port 2 offered with
// its note) and attached. On a model that installs libraries only at a warm
// start the window says, in plain words, what to press on the calculator,
// waits for its server and then attaches it.
#pragma once

#include <optional>
#include <string>

class QWidget;

namespace dravik {

struct AppContext;
class CRemoteView;

// file: the library (empty: a file dialog asks). port: where it goes
// (none: the user chooses). The object list shows the port afterwards.
void InstallLibraryCommand(AppContext& ctx, CRemoteView& list, QWidget* parent, std::string file,
                           std::optional<int> port);

// True when the file holds a library in binary form.
bool IsLibraryFile(const std::string& path);

}  // namespace dravik
