// A pseudo-terminal for fuzz targets that feed a link's reader: the bytes
// of one input go in at the controlling side, what the link answers is
// drained so the line never fills up.
#pragma once

#include <fcntl.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <string>

namespace dravik::fuzz {

class FuzzLine {
 public:
  FuzzLine() {
    char name[256] = {};
    termios tio{};
    ::cfmakeraw(&tio);
    if (::openpty(&master_, &slave_, name, &tio, nullptr) != 0) __builtin_trap();
    ::fcntl(master_, F_SETFL, O_NONBLOCK);
    device_ = name;
  }
  const std::string& device() const { return device_; }
  // Puts bytes on the line towards the link (at most what the line holds).
  void Feed(const uint8_t* data, size_t size) {
    while (size > 0) {
      ssize_t n = ::write(master_, data, size);
      if (n <= 0) return;
      data += n;
      size -= static_cast<size_t>(n);
    }
  }
  // Throws away whatever the link sent.
  void Drain() {
    uint8_t buf[4096];
    while (::read(master_, buf, sizeof buf) > 0) {
    }
  }

 private:
  int master_ = -1;
  int slave_ = -1;
  std::string device_;
};

}  // namespace dravik::fuzz
