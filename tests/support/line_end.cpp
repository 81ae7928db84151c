#include "line_end.h"

#include <poll.h>
#include <unistd.h>

#include <cerrno>

namespace dravik::testing {

bool LineEnd::ReadByte(uint8_t& byte, int timeout_ms) {
  pollfd p{fd_, POLLIN, 0};
  for (;;) {
    int r = ::poll(&p, 1, timeout_ms);
    if (r < 0 && errno == EINTR) continue;
    if (r <= 0) return false;
    ssize_t n = ::read(fd_, &byte, 1);
    if (n == 1) return true;
    if (n < 0 && (errno == EINTR || errno == EAGAIN)) continue;
    return false;  // the other side is gone
  }
}

std::vector<uint8_t> LineEnd::Read(size_t n, int timeout_ms) {
  std::vector<uint8_t> out;
  uint8_t b = 0;
  while (out.size() < n && ReadByte(b, timeout_ms)) out.push_back(b);
  return out;
}

bool LineEnd::Silent(int quiet_ms) {
  uint8_t b = 0;
  return !ReadByte(b, quiet_ms);
}

void LineEnd::Write(const std::vector<uint8_t>& bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    ssize_t n = ::write(fd_, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return;
    done += static_cast<size_t>(n);
  }
}

}  // namespace dravik::testing
