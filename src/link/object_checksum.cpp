#include "link/object_checksum.h"

#include <algorithm>

#include "hpfile/calculator_family.h"
#include "link/block_check.h"

namespace dravik {
namespace {

constexpr size_t kHeaderSize = 8;  // "HPHP48-" or "HPHP49-" and the ROM letter

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// The next blank-separated field of a line, advancing pos.
std::string_view NextField(std::string_view line, size_t& pos) {
  while (pos < line.size() && IsBlank(line[pos])) ++pos;
  size_t start = pos;
  while (pos < line.size() && !IsBlank(line[pos])) ++pos;
  return line.substr(start, pos - start);
}

// An HP49 prints the numbers of its listing as reals: "16.", "52870.".
std::string_view WithoutTrailingDot(std::string_view text) {
  return text.size() > 1 && text.back() == '.' ? text.substr(0, text.size() - 1) : text;
}

bool ParseTwiceSize(std::string_view given, long& out) {
  const std::string_view text = WithoutTrailingDot(given);
  long whole = 0;
  size_t i = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    whole = whole * 10 + (text[i] - '0');
    if (whole > (1L << 24)) return false;
  }
  if (i == 0) return false;
  if (i == text.size()) {
    out = 2 * whole;
    return true;
  }
  if (text.substr(i) == ".5") {
    out = 2 * whole + 1;
    return true;
  }
  return false;
}

bool ParseChecksum(std::string_view given, unsigned& out) {
  const std::string_view text = WithoutTrailingDot(given);
  if (text.empty() || text.size() > 5) return false;
  unsigned value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    value = value * 10 + static_cast<unsigned>(c - '0');
  }
  if (value > 0xFFFF) return false;
  out = value;
  return true;
}

// The i-th nibble of the object in a binary file (low half of a byte first).
unsigned Nibble(const std::vector<uint8_t>& file, size_t i) {
  uint8_t byte = file[kHeaderSize + i / 2];
  return i % 2 ? byte >> 4 : byte & 0xF;
}

}  // namespace

bool IsBinaryObjectFile(const std::vector<uint8_t>& file) {
  return file.size() >= kHeaderSize && FamilyOfBinary(file).has_value();
}

bool HasDamagedBinaryHeader(const std::vector<uint8_t>& file) {
  if (file.size() < kHeaderSize) return false;
  // Bytes changed from the nearer of the two families' headers.
  size_t changed = kHeaderSize;
  for (CalculatorFamily family : {CalculatorFamily::Hp48, CalculatorFamily::Hp49}) {
    const std::string_view header = BinaryHeaderOf(family);
    size_t differ = 0;
    for (size_t i = 0; i < header.size(); ++i) differ += file[i] != static_cast<uint8_t>(header[i]);
    changed = std::min(changed, differ);
  }
  if (changed > 0) return changed <= 2;
  return file[kHeaderSize - 1] < 'A' || file[kHeaderSize - 1] > 'Z';
}

ListedObject FindListedObject(std::string_view listing, std::string_view name) {
  ListedObject out;
  size_t start = 0;
  while (start < listing.size()) {
    size_t end = listing.find('\n', start);
    if (end == std::string_view::npos) end = listing.size();
    std::string_view line = listing.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    start = end + 1;
    size_t pos = 0;
    if (NextField(line, pos) != name || line.empty() || line[0] == '{') continue;
    std::string_view size = NextField(line, pos);
    if (!ParseTwiceSize(size, out.twice_size)) continue;
    // The type words come between the size and the checksum; the checksum
    // is the last field of the line.
    std::string_view last;
    for (std::string_view f = NextField(line, pos); !f.empty(); f = NextField(line, pos)) last = f;
    out.found = true;
    out.has_checksum = ParseChecksum(last, out.checksum);
    return out;
  }
  return out;
}

ObjectCheck CheckObjectFile(const std::vector<uint8_t>& file, std::string_view name,
                            std::string_view listing, TransferDirection direction) {
  if (direction == TransferDirection::Received && HasDamagedBinaryHeader(file))
    return FindListedObject(listing, name).found ? ObjectCheck::Mismatch : ObjectCheck::NotListed;
  if (!IsBinaryObjectFile(file)) return ObjectCheck::NotCheckable;
  // An XLIB name (prolog 02E92) of a library that is present is listed as
  // the library's object, not as itself.
  if (file.size() >= kHeaderSize + 3 && file[8] == 0x92 && file[9] == 0x2E &&
      (file[10] & 0xF) == 0x0)
    return ObjectCheck::NotCheckable;
  ListedObject listed = FindListedObject(listing, name);
  if (!listed.found) return ObjectCheck::NotListed;
  if (!listed.has_checksum) return ObjectCheck::NotCheckable;
  long nibbles = listed.twice_size - 9 - 2 * static_cast<long>(name.size());
  if (nibbles <= 0) return ObjectCheck::Mismatch;
  const size_t have = 2 * (file.size() - kHeaderSize);
  const size_t want = static_cast<size_t>(nibbles);
  if (have < want) return ObjectCheck::Mismatch;
  if (direction == TransferDirection::Received && have != want + (want % 2))
    return ObjectCheck::Mismatch;
  unsigned crc = 0;
  for (size_t i = 0; i < want; ++i) crc = CrcNibble(crc, Nibble(file, i));
  return (crc & 0xFFFF) == listed.checksum ? ObjectCheck::Match : ObjectCheck::Mismatch;
}

}  // namespace dravik
