// A client end for tests: opens a serial device path (a pseudo-terminal) in
// raw mode and exchanges bytes with generous time-outs.
#pragma once

#include <chrono>
#include <string>
#include <string_view>

namespace dravik::testing {

class RawDevice {
 public:
  explicit RawDevice(const std::string& path);
  ~RawDevice();
  RawDevice(const RawDevice&) = delete;
  RawDevice& operator=(const RawDevice&) = delete;

  bool ok() const { return fd_ >= 0; }
  int fd() const { return fd_; }
  void Write(std::string_view bytes);
  // Bytes up to and including the next CR (a whole Kermit packet from the
  // calculator); what came so far when the time-out ends first.
  std::string ReadLine(std::chrono::milliseconds timeout = std::chrono::seconds(10));
  // Exactly n bytes, or fewer on time-out.
  std::string Read(size_t n, std::chrono::milliseconds timeout = std::chrono::seconds(10));
  // Whatever arrives within the given time.
  std::string Drain(std::chrono::milliseconds wait);

 private:
  int fd_ = -1;
};

}  // namespace dravik::testing
