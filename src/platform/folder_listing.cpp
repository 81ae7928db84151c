#include "platform/folder_listing.h"

#include <dirent.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <memory>

namespace dravik {

namespace {

struct DirCloser {
  void operator()(DIR* d) const { ::closedir(d); }
};
using DirHandle = std::unique_ptr<DIR, DirCloser>;

bool IsDotOrDotDot(const char* name) {
  return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

// Folder or file, and the size, of one entry. The type readdir gives saves a
// stat for folders on most file systems; links are followed.
void Describe(int dirFd, const dirent* e, FolderEntry& entry) {
  if (e->d_type == DT_DIR) {
    entry.isFolder = true;
    return;
  }
  struct stat st{};
  if (::fstatat(dirFd, e->d_name, &st, 0) != 0) return;  // a dangling link: a file of 0 bytes
  entry.isFolder = S_ISDIR(st.st_mode);
  if (!entry.isFolder) entry.size = static_cast<uint64_t>(st.st_size);
}

}  // namespace

FolderListing ListFolder(const std::string& folder) {
  FolderListing listing;
  DirHandle dir(::opendir(folder.c_str()));
  if (!dir) {
    listing.error = std::strerror(errno);
    return listing;
  }
  listing.opened = true;
  if (folder != "/") listing.entries.push_back({"..", true, 0});
  const int fd = ::dirfd(dir.get());
  for (;;) {
    errno = 0;
    const dirent* e = ::readdir(dir.get());
    if (!e) break;
    if (IsDotOrDotDot(e->d_name)) continue;
    FolderEntry entry{e->d_name, false, 0};
    Describe(fd, e, entry);
    listing.entries.push_back(std::move(entry));
  }
  if (errno != 0) {
    listing.error = std::strerror(errno);
    return listing;
  }
  listing.complete = true;
  return listing;
}

bool HasSubFolder(const std::string& folder, bool withHidden) {
  DirHandle dir(::opendir(folder.c_str()));
  if (!dir) return false;
  const int fd = ::dirfd(dir.get());
  while (const dirent* e = ::readdir(dir.get())) {
    if (IsDotOrDotDot(e->d_name) || (!withHidden && e->d_name[0] == '.')) continue;
    if (e->d_type == DT_DIR) return true;
    if (e->d_type != DT_UNKNOWN && e->d_type != DT_LNK) continue;
    struct stat st{};
    if (::fstatat(fd, e->d_name, &st, 0) == 0 && S_ISDIR(st.st_mode)) return true;
  }
  return false;
}

}  // namespace dravik
