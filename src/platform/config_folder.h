// The config folder: $XDG_CONFIG_HOME/dravik/ (default ~/.config/dravik/).
// Dravik.ini and the temporary calculator program files live there.
#pragma once

#include <string>

namespace dravik {

// The folder path, ending with '/'. Created on demand; if it cannot be
// created the path is returned all the same and the caller's file
// operation fails with its own error.
std::string ConfigFolder();

// The user's home folder, ending with '/' (the default PC folder).
std::string HomeFolder();

}  // namespace dravik
