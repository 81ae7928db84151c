// Building blocks of a scripted XModem peer on the far end of a
// pseudo-terminal: reading and framing 128-byte checksum blocks.
#pragma once

#include <cstdint>
#include <vector>

#include "line_end.h"

namespace dravik::testing {

constexpr uint8_t kSoh = 1, kEot = 4, kAck = 6, kNak = 21, kCan = 24;

struct XBlock {
  uint8_t header = 0;
  uint8_t number = 0;
  uint8_t complement = 0;
  std::vector<uint8_t> data;
  uint8_t check = 0;
  bool whole = false;  // all 132 bytes arrived
  bool checksum_ok() const {
    unsigned sum = 0;
    for (uint8_t b : data) sum += b;
    return whole && static_cast<uint8_t>(sum) == check;
  }
};

// Reads the 131 bytes that follow a header byte already read.
inline XBlock ReadXBlockBody(LineEnd& line, uint8_t header, int timeout_ms = 5000) {
  XBlock block;
  block.header = header;
  std::vector<uint8_t> rest = line.Read(131, timeout_ms);
  if (rest.size() != 131) return block;
  block.number = rest[0];
  block.complement = rest[1];
  block.data.assign(rest.begin() + 2, rest.begin() + 130);
  block.check = rest[130];
  block.whole = true;
  return block;
}

inline XBlock ReadXBlock(LineEnd& line, int timeout_ms = 5000) {
  uint8_t header = 0;
  if (!line.ReadByte(header, timeout_ms)) return {};
  if (header != kSoh) return XBlock{header, 0, 0, {}, 0, false};
  return ReadXBlockBody(line, header, timeout_ms);
}

// A whole block on the wire; data is filled up to 128 bytes with fill.
inline std::vector<uint8_t> FrameXBlock(uint8_t number, std::vector<uint8_t> data,
                                        uint8_t fill = 0) {
  data.resize(128, fill);
  unsigned sum = 0;
  std::vector<uint8_t> frame;
  frame.reserve(132);
  frame.push_back(kSoh);
  frame.push_back(number);
  frame.push_back(static_cast<uint8_t>(255 - number));
  for (uint8_t b : data) {
    frame.push_back(b);
    sum += b;
  }
  frame.push_back(static_cast<uint8_t>(sum));
  return frame;
}

}  // namespace dravik::testing
