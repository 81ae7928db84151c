// The entries of one PC folder, with 64-bit file sizes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace dravik {

struct FolderEntry {
  std::string name;
  bool isFolder = false;  // a folder, or a link to one
  uint64_t size = 0;      // bytes of a file; 0 for folders
};

struct FolderListing {
  std::vector<FolderEntry> entries;  // in the order the file system gives them
  bool opened = false;     // false: nothing could be read (entries empty)
  bool complete = false;   // false: reading stopped part way
  std::string error;       // the system's reason when not complete
};

// Lists folder (ending with '/'). "." is never listed; ".." is listed first
// in every folder but "/". Hidden entries are listed like any other.
FolderListing ListFolder(const std::string& folder);

// True when folder has at least one sub-folder (links to folders count;
// hidden ones, whose names begin with a dot, only when withHidden).
// Reading stops at the first one; an unreadable folder has none.
bool HasSubFolder(const std::string& folder, bool withHidden = true);

}  // namespace dravik
