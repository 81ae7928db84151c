// Installing a library from a PC file: stored in a port under its number,
// then attached to HOME. A model that installs libraries only at a warm
// start (the HP48) needs the user in between: the front end says what to
// press (WarmStartText), waits for the server and then attaches it.
#pragma once

#include <string>

#include "link/hp48_link.h"

namespace dravik {

enum class InstallStep {
  Failed,          // the user has been told why
  Attached,        // stored and attached
  NeedsWarmStart,  // stored; AttachLibrary once the server answers after a warm start
};

struct LibraryInstall {
  InstallStep step = InstallStep::Failed;
  int number = 0;
  std::string title;
};

// Stores the library file in the port (asking before it replaces a library
// of the same number there), checks it by its checksum and, where the model
// can, attaches it. CurrentHPPath is left on the port.
LibraryInstall InstallLibrary(CHP48Link& link, const std::string& path, int port);

}  // namespace dravik
