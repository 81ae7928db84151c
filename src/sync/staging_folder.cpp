#include "sync/staging_folder.h"

#include <stdlib.h>

#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace dravik::sync {

StagingFolder::StagingFolder(const std::string& parent, const std::string& prefix) {
  std::string pattern = parent + prefix + "XXXXXX";
  if (::mkdtemp(pattern.data())) path_ = pattern + "/";
}

StagingFolder::~StagingFolder() {
  if (path_.empty()) return;
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

std::string StagingFolder::CopyIn(const std::string& file, const std::string& name) {
  const std::string copy = path_ + name;
  std::error_code failed;
  if (!std::filesystem::copy_file(file, copy, failed) || failed) return {};
  return copy;
}

std::string TemporaryParent() {
  const char* tmp = std::getenv("TMPDIR");
  std::string parent = tmp && *tmp ? tmp : "/tmp";
  return parent.back() == '/' ? parent : parent + "/";
}

}  // namespace dravik::sync
