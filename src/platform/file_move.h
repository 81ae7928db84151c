// Moving a PC file into another folder: a rename, or a copy and a removal
// across file systems. An existing file of the same name is replaced only
// when the caller says so, and an interrupted copy leaves no half file.
#pragma once

#include <string>

namespace dravik {

enum class MoveOutcome {
  Moved,
  TargetExists,  // replace was false and the folder holds that name already
  SameFile,      // the file is already there (its own folder)
  Failed,
};

// Moves file into folder (ending with '/') under its own name. On Failed,
// error holds the system's reason and the file is where it was.
MoveOutcome MoveFileInto(const std::string& file, const std::string& folder, bool replace,
                         std::string& error);

// The last component of a path.
std::string BaseName(const std::string& path);

}  // namespace dravik
