#include "grob/picture_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace dravik {

namespace {

// Closes the descriptor when it goes out of scope.
class FileDescriptor {
 public:
  explicit FileDescriptor(int fd) : fd_(fd) {}
  ~FileDescriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  int get() const { return fd_; }
  // Closes now and reports whether the close succeeded (a delayed write
  // error shows up here).
  bool Close() {
    const int fd = fd_;
    fd_ = -1;
    return ::close(fd) == 0;
  }

 private:
  int fd_;
};

bool WriteAll(int fd, std::span<const uint8_t> bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<size_t>(n);
  }
  return true;
}

}  // namespace

PictureReadStatus ReadPictureFile(const std::string& path, std::vector<uint8_t>& bytes,
                                  size_t limit) {
  bytes.clear();
  // O_NONBLOCK: opening a FIFO must not wait for a writer; it is refused
  // below like every file that is not a regular one.
  FileDescriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
  if (file.get() < 0) return PictureReadStatus::CannotOpen;
  struct stat info {};
  if (::fstat(file.get(), &info) != 0 || !S_ISREG(info.st_mode)) return PictureReadStatus::CannotOpen;
  // Read to the end rather than trusting the size: the file may change.
  size_t done = 0;
  for (;;) {
    if (bytes.size() - done < 4096) bytes.resize(done + 65536);
    const ssize_t n = ::read(file.get(), bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      bytes.clear();
      return PictureReadStatus::CannotOpen;
    }
    if (n == 0) break;
    done += static_cast<size_t>(n);
    if (done > limit) {
      bytes.clear();
      return PictureReadStatus::TooLarge;
    }
  }
  bytes.resize(done);
  return PictureReadStatus::Ok;
}

PictureWriteStatus WritePictureFile(const std::string& path, std::span<const uint8_t> bytes,
                                    bool replace) {
  // The temporary name sits in the same folder so that rename() and link()
  // are atomic; link() refuses a name that exists.
  const std::string base = path + ".part" + std::to_string(::getpid()) + "-";
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::string temp = base + std::to_string(attempt);
    FileDescriptor file(::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
    if (file.get() < 0) {
      if (errno == EEXIST) continue;
      return PictureWriteStatus::Failed;
    }
    if (!WriteAll(file.get(), bytes) || !file.Close()) {
      ::unlink(temp.c_str());
      return PictureWriteStatus::Failed;
    }
    if (replace) {
      const bool renamed = ::rename(temp.c_str(), path.c_str()) == 0;
      if (!renamed) ::unlink(temp.c_str());
      return renamed ? PictureWriteStatus::Ok : PictureWriteStatus::Failed;
    }
    const bool linked = ::link(temp.c_str(), path.c_str()) == 0;
    const int link_error = errno;
    ::unlink(temp.c_str());
    if (linked) return PictureWriteStatus::Ok;
    return link_error == EEXIST ? PictureWriteStatus::Exists : PictureWriteStatus::Failed;
  }
  return PictureWriteStatus::Failed;
}

}  // namespace dravik
