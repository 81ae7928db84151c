#include "platform/file_to_send.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>

namespace dravik {

std::string FileToSendProblem(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0)
    return errno == ENOENT ? "no such file" : std::strerror(errno);
  if (S_ISDIR(st.st_mode)) return "it is a directory";
  // A FIFO or a device would block or never end.
  if (!S_ISREG(st.st_mode)) return "not a regular file";
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return std::strerror(errno);
  ::close(fd);
  return {};
}

std::optional<CalculatorFamily> FamilyOfFile(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return std::nullopt;
  uint8_t head[7] = {};
  const ssize_t n = ::read(fd, head, sizeof head);
  ::close(fd);
  if (n != static_cast<ssize_t>(sizeof head)) return std::nullopt;
  return FamilyOfBinary(head);
}

bool IsCalculatorBinaryFile(const std::string& path) { return FamilyOfFile(path).has_value(); }

bool IsNeitherObjectNorText(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return false;
  // The start tells: a program or picture has control bytes at once.
  uint8_t head[4096];
  const ssize_t n = ::read(fd, head, sizeof head);
  ::close(fd);
  if (n <= 0) return false;
  const std::span<const uint8_t> bytes(head, static_cast<size_t>(n));
  return !FamilyOfBinary(bytes) && !IsCalculatorText(bytes);
}

}  // namespace dravik
