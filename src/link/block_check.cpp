#include "link/block_check.h"

#include <array>

namespace dravik {
namespace {
char ToChar(unsigned x) { return static_cast<char>(x + 32); }
}  // namespace

unsigned Sum12(const uint8_t* data, size_t size, bool strip_parity) {
  unsigned s = 0;
  for (size_t i = 0; i < size; ++i) s += strip_parity ? (data[i] & 0x7F) : data[i];
  return s & 0xFFF;
}

namespace {
// The CRC of each byte value, two nibble steps at once: a whole packet then
// costs one look-up a byte.
constexpr std::array<uint16_t, 256> kCrcTable = [] {
  std::array<uint16_t, 256> table{};
  for (unsigned c = 0; c < 256; ++c)
    table[c] = static_cast<uint16_t>(CrcNibble(CrcNibble(0, c & 0xF), c >> 4));
  return table;
}();
}  // namespace

unsigned Crc16Kermit(const uint8_t* data, size_t size, bool strip_parity) {
  const uint8_t mask = strip_parity ? 0x7F : 0xFF;
  unsigned crc = 0;
  for (size_t i = 0; i < size; ++i) crc = (crc >> 8) ^ kCrcTable[(crc ^ (data[i] & mask)) & 0xFF];
  return crc & 0xFFFF;
}

std::string BlockCheck(int type, const uint8_t* data, size_t size, bool strip_parity) {
  std::string out;
  switch (type) {
    case 1: {
      unsigned s = Sum12(data, size, strip_parity);
      out += ToChar((s + ((s >> 6) & 3)) & 63);
      break;
    }
    case 2: {
      unsigned s = Sum12(data, size, strip_parity);
      out += ToChar((s >> 6) & 63);
      out += ToChar(s & 63);
      break;
    }
    case 3: {
      unsigned crc = Crc16Kermit(data, size, strip_parity);
      out += ToChar((crc >> 12) & 15);
      out += ToChar((crc >> 6) & 63);
      out += ToChar(crc & 63);
      break;
    }
    default: break;
  }
  return out;
}

}  // namespace dravik
