// A private folder for files on their way: objects received before they
// are checked and moved into place, copies of PC files under the name the
// calculator is to store them under. Removed with what it holds when the
// object goes, so an interrupted transfer leaves no half file behind.
#pragma once

#include <string>

namespace dravik::sync {

class StagingFolder {
 public:
  // A new folder inside parent (ending with '/'), named prefix + 6 random
  // characters. ok() tells whether it could be made.
  StagingFolder(const std::string& parent, const std::string& prefix);
  ~StagingFolder();
  StagingFolder(const StagingFolder&) = delete;
  StagingFolder& operator=(const StagingFolder&) = delete;

  bool ok() const { return !path_.empty(); }
  const std::string& path() const { return path_; }  // ends with '/'
  // Copies file into the folder under name; the copy's path, or empty.
  std::string CopyIn(const std::string& file, const std::string& name);

 private:
  std::string path_;
};

// The system's folder for temporary files, ending with '/'.
std::string TemporaryParent();

}  // namespace dravik::sync
