// The far end of a pseudo-terminal as a scripted peer uses it: bounded reads
// of single bytes or whole runs, and writes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace dravik::testing {

class LineEnd {
 public:
  explicit LineEnd(int fd) : fd_(fd) {}
  // Waits at most timeout_ms for one byte.
  bool ReadByte(uint8_t& byte, int timeout_ms);
  // Reads exactly n bytes, each waited for at most timeout_ms; fewer on silence.
  std::vector<uint8_t> Read(size_t n, int timeout_ms);
  // True if nothing arrives within quiet_ms.
  bool Silent(int quiet_ms);
  void Write(const std::vector<uint8_t>& bytes);
  void Write(uint8_t byte) { Write(std::vector<uint8_t>{byte}); }

 private:
  int fd_;
};

}  // namespace dravik::testing
