#include "raw_device.h"

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

namespace dravik::testing {
namespace {
using Clock = std::chrono::steady_clock;

// One byte, or false when the deadline passes.
bool ReadByte(int fd, char& c, Clock::time_point deadline) {
  for (;;) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    if (left.count() < 0) return false;
    pollfd p{fd, POLLIN, 0};
    if (::poll(&p, 1, static_cast<int>(left.count())) <= 0) continue;
    if (::read(fd, &c, 1) == 1) return true;
  }
}
}  // namespace

RawDevice::RawDevice(const std::string& path) {
  fd_ = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (fd_ < 0) return;
  termios tio{};
  ::tcgetattr(fd_, &tio);
  ::cfmakeraw(&tio);
  ::tcsetattr(fd_, TCSANOW, &tio);
}

RawDevice::~RawDevice() {
  if (fd_ >= 0) ::close(fd_);
}

void RawDevice::Write(std::string_view bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    ssize_t n = ::write(fd_, bytes.data() + done, bytes.size() - done);
    if (n <= 0) return;
    done += static_cast<size_t>(n);
  }
}

std::string RawDevice::ReadLine(std::chrono::milliseconds timeout) {
  std::string out;
  auto deadline = Clock::now() + timeout;
  char c;
  while (ReadByte(fd_, c, deadline)) {
    out += c;
    if (c == '\r') break;
  }
  return out;
}

std::string RawDevice::Read(size_t n, std::chrono::milliseconds timeout) {
  std::string out;
  auto deadline = Clock::now() + timeout;
  char c;
  while (out.size() < n && ReadByte(fd_, c, deadline)) out += c;
  return out;
}

std::string RawDevice::Drain(std::chrono::milliseconds wait) {
  std::string out;
  auto deadline = Clock::now() + wait;
  char c;
  while (ReadByte(fd_, c, deadline)) out += c;
  return out;
}

}  // namespace dravik::testing
