// The PC side of a sync: folders made, received files moved into place and
// files deleted, each strictly inside the sync's folder. A path below the
// folder is used only when every folder on the way is a real folder (not a
// symbolic link), so a link planted in the tree cannot lead a write outside.
#pragma once

#include <cstdint>
#include <string>

namespace dravik::sync {

// Every component of relative is a safe name and every folder on the way
// from root to the last component is a real folder.
bool IsInsideFolder(const std::string& root, const std::string& relative);

// Makes the folder root + relative (its parent must exist). Empty on
// success, else why not.
std::string MakePcFolder(const std::string& root, const std::string& relative);

// Moves the received file staged into root + relative. A new file never
// replaces anything; a replacing one replaces only a regular file whose
// content hash is still expected_hash (what the comparison saw).
std::string PlaceReceivedFile(const std::string& staged, const std::string& root,
                              const std::string& relative, bool replaces, uint64_t expected_hash);

// Deletes root + relative: a file only when its content hash is still
// expected_hash, a folder only when it is empty.
std::string DeletePcEntry(const std::string& root, const std::string& relative, bool folder,
                          uint64_t expected_hash);

// The content hash of a regular file (false when it is none or unreadable).
bool HashOfFile(const std::string& path, uint64_t& hash, uint64_t* bytes = nullptr);

}  // namespace dravik::sync
