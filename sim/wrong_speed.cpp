#include "wrong_speed.h"

#include <algorithm>
#include <cmath>

namespace dravik::sim {
namespace {

constexpr int kFrameBits = 10;  // start, 8 data, stop

// The line level during the sender's bit number k (high = 1 = idle).
int Level(const uint8_t* data, size_t size, long k) {
  if (k < 0 || static_cast<size_t>(k / kFrameBits) >= size) return 1;
  const int position = static_cast<int>(k % kFrameBits);
  if (position == 0) return 0;
  if (position == kFrameBits - 1) return 1;
  return (data[k / kFrameBits] >> (position - 1)) & 1;
}

}  // namespace

std::vector<uint8_t> ReadAtWrongSpeed(const uint8_t* data, size_t size, int sent_baud,
                                      int read_baud) {
  std::vector<uint8_t> out;
  if (sent_baud <= 0 || read_baud <= 0) return out;
  const double sent_bit = 1.0 / sent_baud, read_bit = 1.0 / read_baud;
  const long last_bit = static_cast<long>(size) * kFrameBits;
  auto level_at = [&](double t) { return Level(data, size, static_cast<long>(std::floor(t / sent_bit))); };

  double t = 0;
  for (;;) {
    // Hunt for the start bit: the first low level from t on.
    long k = static_cast<long>(std::floor(t / sent_bit));
    while (k < last_bit && Level(data, size, k) != 0) ++k;
    if (k >= last_bit) break;
    const double start = std::max(t, k * sent_bit);
    if (level_at(start + read_bit / 2) != 0) {  // too short to be a start bit
      t = start + read_bit / 2;
      continue;
    }
    int byte = 0;
    for (int bit = 0; bit < 8; ++bit)
      byte |= level_at(start + (bit + 1.5) * read_bit) << bit;
    out.push_back(static_cast<uint8_t>(byte));
    // A framing error (low stop bit) delivers the byte all the same: the
    // port reads with parity checking off.
    t = start + (kFrameBits - 0.5) * read_bit;
  }
  return out;
}

}  // namespace dravik::sim
