// Objects in HP48 memory are sequences of 4-bit nibbles. This holds them,
// reads and writes the usual fields (5-nibble addresses and lengths, low
// nibble first), computes the Saturn CRC and packs the binary transfer form.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "calculator.h"

namespace dravik::sim {

using Nibbles = std::vector<uint8_t>;

void PutField(Nibbles& out, uint32_t value, int count);  // low nibble first
void PutByteText(Nibbles& out, std::string_view text);    // 2 nibbles a byte
// Reads count nibbles at pos as a number; false when past the end.
bool GetField(const Nibbles& in, size_t pos, int count, uint32_t* value);
bool GetByteText(const Nibbles& in, size_t pos, size_t chars, std::string* text);

// The CRC the listing and BYTES show.
uint16_t SaturnCrc(const Nibbles& obj);

// The header (for example "HPHP48-R") followed by the nibbles packed low
// nibble first, an odd count padded with the nibble given.
Bytes PackBinaryFile(const Nibbles& obj, std::string_view header = "HPHP48-R",
                     uint8_t pad = 0);
// True when data starts with the prefix ("HPHP48-") and a revision letter.
bool IsBinaryFile(const Bytes& data, std::string_view prefix = "HPHP48-");
// The nibbles after the 8-byte header (two a byte, low first).
Nibbles UnpackBinaryFile(const Bytes& data);

// Size in bytes as the listing prints it: "16", "11.5".
std::string HalfBytesText(uint64_t nibbles);

}  // namespace dravik::sim
