#include "sync/pc_files.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>
#include <vector>

#include "sync/pc_names.h"
#include "sync/pc_tree.h"
#include "sync/sync_manifest.h"

namespace dravik::sync {
namespace fs = std::filesystem;

namespace {

std::vector<std::string> Components(const std::string& relative) {
  std::vector<std::string> parts;
  size_t at = 0;
  while (at <= relative.size()) {
    const size_t slash = relative.find('/', at);
    const size_t end = slash == std::string::npos ? relative.size() : slash;
    parts.push_back(relative.substr(at, end - at));
    if (slash == std::string::npos) break;
    at = slash + 1;
  }
  return parts;
}

}  // namespace

bool IsInsideFolder(const std::string& root, const std::string& relative) {
  const std::vector<std::string> parts = Components(relative);
  std::string path = root;
  for (size_t i = 0; i < parts.size(); ++i) {
    if (!IsSafeComponent(parts[i])) return false;
    if (i + 1 == parts.size()) break;
    path += parts[i] + "/";
    std::error_code failed;
    if (!fs::is_directory(fs::symlink_status(path, failed))) return false;
  }
  return true;
}

bool HashOfFile(const std::string& path, uint64_t& hash, uint64_t* bytes) {
  std::error_code failed;
  if (!fs::is_regular_file(fs::symlink_status(path, failed))) return false;
  if (fs::file_size(path, failed) > kMaxObjectFileBytes || failed) return false;
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  const std::vector<uint8_t> content((std::istreambuf_iterator<char>(in)), {});
  if (in.bad()) return false;
  hash = ContentHash(content);
  if (bytes) *bytes = content.size();
  return true;
}

std::string MakePcFolder(const std::string& root, const std::string& relative) {
  if (!IsInsideFolder(root, relative)) return "not a path inside the folder";
  std::error_code failed;
  if (!fs::create_directory(root + relative, failed)) {
    return failed ? failed.message() : "something of that name is there already";
  }
  return {};
}

std::string PlaceReceivedFile(const std::string& staged, const std::string& root,
                              const std::string& relative, bool replaces, uint64_t expected_hash) {
  if (!IsInsideFolder(root, relative)) return "not a path inside the folder";
  const std::string target = root + relative;
  std::error_code failed;
  const fs::file_status there = fs::symlink_status(target, failed);
  if (replaces) {
    uint64_t hash = 0;
    if (!HashOfFile(target, hash) || hash != expected_hash)
      return "the PC file changed while the sync ran: kept";
  } else if (fs::exists(there)) {
    // On a file system that ignores case another spelling may be there.
    return "a PC file of that name is there already: kept";
  }
  fs::rename(staged, target, failed);
  return failed ? "cannot be moved into place: " + failed.message() : std::string();
}

std::string DeletePcEntry(const std::string& root, const std::string& relative, bool folder,
                          uint64_t expected_hash) {
  if (!IsInsideFolder(root, relative)) return "not a path inside the folder";
  const std::string path = root + relative;
  std::error_code failed;
  if (folder) {
    if (!fs::is_directory(fs::symlink_status(path, failed))) return "not a folder";
    if (!fs::is_empty(path, failed)) return "the folder is not empty: kept";
  } else {
    uint64_t hash = 0;
    if (!HashOfFile(path, hash) || hash != expected_hash)
      return "the PC file changed while the sync ran: kept";
  }
  fs::remove(path, failed);
  return failed ? failed.message() : std::string();
}

}  // namespace dravik::sync
