#include "platform/file_move.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

namespace dravik {

namespace {

std::string Reason() { return std::strerror(errno); }

// rename() that never replaces an existing target unless asked to.
int RenameNoReplace(const std::string& from, const std::string& to, bool replace) {
  if (replace) return ::rename(from.c_str(), to.c_str());
  if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return 0;
  if (errno != EINVAL && errno != ENOSYS) return -1;
  // A file system without RENAME_NOREPLACE: link() refuses an existing name.
  if (::link(from.c_str(), to.c_str()) != 0) return -1;
  ::unlink(from.c_str());
  return 0;
}

bool CopyBytes(int in, int out) {
  std::vector<char> buffer(1 << 16);
  for (;;) {
    const ssize_t n = ::read(in, buffer.data(), buffer.size());
    if (n == 0) return true;
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    for (ssize_t done = 0; done < n;) {
      const ssize_t w = ::write(out, buffer.data() + done, static_cast<size_t>(n - done));
      if (w < 0) {
        if (errno == EINTR) continue;
        return false;
      }
      done += w;
    }
  }
}

// Across file systems: copy into a hidden temporary file beside the target,
// then give it the target's name, then remove the original.
MoveOutcome CopyAndRemove(const std::string& file, const std::string& target, bool replace,
                          std::string& error) {
  const int in = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
  if (in < 0) {
    error = Reason();
    return MoveOutcome::Failed;
  }
  struct stat st{};
  ::fstat(in, &st);
  std::string temp = target.substr(0, target.rfind('/') + 1) + ".dravik-move-XXXXXX";
  const int out = ::mkostemp(temp.data(), O_CLOEXEC);
  if (out < 0) {
    error = Reason();
    ::close(in);
    return MoveOutcome::Failed;
  }
  bool ok = CopyBytes(in, out);
  if (!ok) error = Reason();
  ::fchmod(out, st.st_mode & 07777);
  ::close(in);
  if (::close(out) != 0 && ok) {
    ok = false;
    error = Reason();
  }
  if (ok && RenameNoReplace(temp, target, replace) != 0) {
    const bool exists = errno == EEXIST;
    error = Reason();
    ::unlink(temp.c_str());
    return exists ? MoveOutcome::TargetExists : MoveOutcome::Failed;
  }
  if (!ok) {
    ::unlink(temp.c_str());
    return MoveOutcome::Failed;
  }
  if (::unlink(file.c_str()) != 0) {
    // The copy is complete; the original stays as well.
    error = "copied, but the original could not be removed: " + Reason();
    return MoveOutcome::Failed;
  }
  return MoveOutcome::Moved;
}

}  // namespace

std::string BaseName(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

MoveOutcome MoveFileInto(const std::string& file, const std::string& folder, bool replace,
                         std::string& error) {
  const std::string target = folder + BaseName(file);
  struct stat from{}, to{};
  if (::stat(file.c_str(), &from) != 0) {
    error = Reason();
    return MoveOutcome::Failed;
  }
  if (::stat(target.c_str(), &to) == 0) {
    if (from.st_dev == to.st_dev && from.st_ino == to.st_ino) return MoveOutcome::SameFile;
    if (!replace) return MoveOutcome::TargetExists;
  }
  if (RenameNoReplace(file, target, replace) == 0) return MoveOutcome::Moved;
  if (errno == EEXIST) return MoveOutcome::TargetExists;
  if (errno != EXDEV) {
    error = Reason();
    return MoveOutcome::Failed;
  }
  return CopyAndRemove(file, target, replace, error);
}

}  // namespace dravik
