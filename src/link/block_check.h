// Kermit block checks: type 1 (6-bit folded sum), type 2 (12-bit sum) and
// type 3 (CRC-16/KERMIT), and the check characters that carry them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace dravik {

// The 12-bit arithmetic sum used by types 1 and 2. With strip_parity each
// byte counts with its top bit masked off.
unsigned Sum12(const uint8_t* data, size_t size, bool strip_parity);

// CRC-16/KERMIT (reflected CCITT, polynomial 0x8408, initial 0, no final
// inversion), computed a byte at a time from a table.
unsigned Crc16Kermit(const uint8_t* data, size_t size, bool strip_parity = false);

// Feeds one 4-bit value into a CRC-16/KERMIT; the HP48 computes its object
// checksums this way, nibble by nibble.
constexpr unsigned CrcNibble(unsigned crc, unsigned nibble) {
  return (crc >> 4) ^ (((crc ^ nibble) & 0xF) * 0x1081);
}

// The check characters of the given type (1, 2 or 3) over the bytes, ready
// to append to a packet. An unknown type gives an empty string.
std::string BlockCheck(int type, const uint8_t* data, size_t size, bool strip_parity = false);

}  // namespace dravik
