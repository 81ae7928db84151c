#include "grob/grob_layout.h"

namespace dravik {

namespace {
// The 4-bit reversal of each value 0..15.
constexpr uint8_t kReversedNibble[16] = {0x0, 0x8, 0x4, 0xC, 0x2, 0xA, 0x6, 0xE,
                                         0x1, 0x9, 0x5, 0xD, 0x3, 0xB, 0x7, 0xF};
}  // namespace

std::string_view GrobHeaderText(CalculatorFamily family) {
  return family == CalculatorFamily::Hp49 ? "HPHP49-B" : "HPHP48-E";
}

void AppendGrobFileHeader(std::vector<uint8_t>& out, uint32_t width, uint32_t height,
                          CalculatorFamily family) {
  const uint32_t length = static_cast<uint32_t>(GrobLength(width, height));
  const std::string_view text = GrobHeaderText(family);
  out.insert(out.end(), text.begin(), text.end());
  out.push_back(kGrobPrologByte8);
  out.push_back(kGrobPrologByte9);
  out.push_back(static_cast<uint8_t>((length & 0xF) << 4));  // low half: prolog's last nibble 0
  out.push_back(static_cast<uint8_t>(length >> 4));
  out.push_back(static_cast<uint8_t>(length >> 12));
  out.push_back(static_cast<uint8_t>(height));
  out.push_back(static_cast<uint8_t>(height >> 8));
  out.push_back(static_cast<uint8_t>((height >> 16 & 0xF) | (width & 0xF) << 4));
  out.push_back(static_cast<uint8_t>(width >> 4));
  out.push_back(static_cast<uint8_t>(width >> 12));
}

uint8_t FlipPixelByte(uint8_t byte) {
  // Each half reversed and the halves swapped reverses the whole byte.
  const uint8_t reversed =
      static_cast<uint8_t>(kReversedNibble[byte & 0xF] << 4 | kReversedNibble[byte >> 4]);
  return static_cast<uint8_t>(~reversed);
}

uint8_t GrobLastByteMask(uint64_t width) {
  const unsigned bits = static_cast<unsigned>(width % 8);
  return bits == 0 ? 0xFF : static_cast<uint8_t>((1u << bits) - 1);
}

uint8_t BmpLastByteMask(uint64_t width) {
  const unsigned bits = static_cast<unsigned>(width % 8);
  return bits == 0 ? 0xFF : static_cast<uint8_t>(0xFFu << (8 - bits));
}

}  // namespace dravik
