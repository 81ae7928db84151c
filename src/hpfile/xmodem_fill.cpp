#include "hpfile/xmodem_fill.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <vector>

#include "hpfile/calculator_file.h"

namespace dravik {

namespace {

constexpr size_t kBlock = 128;

XModemFill ObjectFill(std::span<const uint8_t> data, CalculatorFamily family) {
  XModemFill fill;
  const NibbleView in(data.subspan(kBinaryHeaderBytes));
  const WalkResult walk = WalkObject(in, 0, family);
  if (!walk.ok) {
    fill.outcome = XModemFill::kNotWalked;
    fill.reason = walk.fault.what;
    return fill;
  }
  const size_t nibbles = walk.object.length;
  fill.keep = kBinaryHeaderBytes + (nibbles + 1) / 2;
  fill.clear_last_half = nibbles % 2 == 1 && (data[fill.keep - 1] >> 4) != 0;
  fill.outcome = fill.keep < data.size() || fill.clear_last_half ? XModemFill::kFound : XModemFill::kNone;
  return fill;
}

// A run of one fill byte at the end of a text, inside the last block.
XModemFill TextFill(std::span<const uint8_t> data) {
  XModemFill fill;
  if (data.empty() || data.size() % kBlock != 0) return fill;
  const uint8_t last = data.back();
  if (last != 0x1A && last != 0x00) return fill;
  size_t run = 0;
  while (run < data.size() && run < kBlock && data[data.size() - 1 - run] == last) ++run;
  if (run == kBlock) return fill;  // a whole block of fill is not how a sender ends
  const std::span<const uint8_t> body = data.first(data.size() - run);
  // In other data a trailing 0x00 or 0x1A may be real.
  if (!IsCalculatorText(body)) return fill;
  fill.outcome = XModemFill::kFound;
  fill.keep = body.size();
  return fill;
}

}  // namespace

XModemFill FindXModemFill(std::span<const uint8_t> data) {
  const std::optional<CalculatorFamily> family = FamilyOfBinary(data);
  return family && data.size() >= kBinaryHeaderBytes ? ObjectFill(data, *family) : TextFill(data);
}

bool TrimXModemFile(const std::string& path, XModemFill* fill, std::string* error) {
  const int fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
  if (fd < 0) {
    *error = std::strerror(errno);
    return false;
  }
  std::vector<uint8_t> data;
  uint8_t buffer[65536];
  for (;;) {
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      *error = std::strerror(errno);
      ::close(fd);
      return false;
    }
    if (n == 0) break;
    data.insert(data.end(), buffer, buffer + n);
  }
  *fill = FindXModemFill(data);
  bool ok = true;
  if (fill->outcome == XModemFill::kFound) {
    if (fill->clear_last_half) {
      const uint8_t byte = data[fill->keep - 1] & 0x0F;
      ok = ::pwrite(fd, &byte, 1, static_cast<off_t>(fill->keep - 1)) == 1;
    }
    ok = ok && ::ftruncate(fd, static_cast<off_t>(fill->keep)) == 0;
    if (!ok) *error = std::strerror(errno);
  }
  if (::close(fd) != 0 && ok) {
    *error = std::strerror(errno);
    ok = false;
  }
  return ok;
}

}  // namespace dravik
