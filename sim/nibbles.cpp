#include "nibbles.h"

namespace dravik::sim {

void PutField(Nibbles& out, uint32_t value, int count) {
  for (int i = 0; i < count; ++i) out.push_back(i < 8 ? (value >> (4 * i)) & 0xF : 0);
}

void PutByteText(Nibbles& out, std::string_view text) {
  for (unsigned char c : text) PutField(out, c, 2);
}

bool GetField(const Nibbles& in, size_t pos, int count, uint32_t* value) {
  if (pos > in.size() || in.size() - pos < static_cast<size_t>(count)) return false;
  uint32_t v = 0;
  for (int i = count - 1; i >= 0; --i) v = (v << 4) | in[pos + i];
  *value = v;
  return true;
}

bool GetByteText(const Nibbles& in, size_t pos, size_t chars, std::string* text) {
  if (pos > in.size() || (in.size() - pos) / 2 < chars) return false;
  text->clear();
  for (size_t i = 0; i < chars; ++i) {
    text->push_back(static_cast<char>(in[pos + 2 * i] | (in[pos + 2 * i + 1] << 4)));
  }
  return true;
}

uint16_t SaturnCrc(const Nibbles& obj) {
  uint32_t crc = 0;
  for (uint8_t nib : obj) crc = (crc >> 4) ^ (((crc ^ nib) & 0xF) * 0x1081);
  return static_cast<uint16_t>(crc);
}

Bytes PackBinaryFile(const Nibbles& obj, std::string_view header, uint8_t pad) {
  Bytes out(header.begin(), header.end());
  for (size_t i = 0; i < obj.size(); i += 2) {
    uint8_t lo = obj[i];
    uint8_t hi = i + 1 < obj.size() ? obj[i + 1] : pad;
    out.push_back(static_cast<uint8_t>(lo | (hi << 4)));
  }
  return out;
}

bool IsBinaryFile(const Bytes& data, std::string_view prefix) {
  if (data.size() < prefix.size() + 1) return false;
  for (size_t i = 0; i < prefix.size(); ++i) {
    if (data[i] != static_cast<uint8_t>(prefix[i])) return false;
  }
  return true;
}

Nibbles UnpackBinaryFile(const Bytes& data) {
  Nibbles out;
  if (data.size() < 8) return out;
  out.reserve((data.size() - 8) * 2);
  for (size_t i = 8; i < data.size(); ++i) {
    out.push_back(data[i] & 0xF);
    out.push_back(data[i] >> 4);
  }
  return out;
}

std::string HalfBytesText(uint64_t nibbles) {
  std::string s = std::to_string(nibbles / 2);
  if (nibbles % 2) s += ".5";
  return s;
}

}  // namespace dravik::sim
