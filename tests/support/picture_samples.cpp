#include "picture_samples.h"

namespace dravik::testing {

namespace {

void Put(std::vector<uint8_t>& out, uint32_t value, int size) {
  for (int i = 0; i < size; ++i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

uint32_t RowBytes(uint32_t width) { return (width + 7) / 8; }
uint32_t Stride(uint32_t width) { return (RowBytes(width) + 3) / 4 * 4; }

}  // namespace

uint32_t LittleEndianAt(const std::vector<uint8_t>& bytes, size_t at, int size) {
  uint32_t value = 0;
  for (int i = 0; i < size; ++i) value |= static_cast<uint32_t>(bytes.at(at + i)) << (8 * i);
  return value;
}

Picture PatternPicture(uint32_t width, uint32_t height) {
  Picture p{width, height, std::vector<bool>(size_t{width} * height)};
  uint32_t state = 12345;
  for (size_t i = 0; i < p.dark.size(); ++i) {
    state = state * 1103515245u + 12345u;
    p.dark[i] = (state >> 16) & 1;
  }
  // Corners fixed so that flips are always visible.
  p.dark[0] = true;
  p.dark[width - 1] = false;
  p.dark[size_t{height - 1} * width] = false;
  return p;
}

std::vector<uint8_t> MakeBmp(const Picture& picture, const BmpOptions& o) {
  const uint32_t stride = Stride(picture.width);
  const uint32_t image_size = o.image_size.value_or(stride * picture.height);
  const uint32_t palette_entries = o.colours_used == 0 ? 2 : o.colours_used;
  const uint32_t offset = 14 + o.header_size + 4 * palette_entries + o.gap;
  std::vector<uint8_t> out;
  out.push_back('B');
  out.push_back('M');
  Put(out, offset + stride * picture.height, 4);
  Put(out, 0, 4);
  Put(out, offset, 4);
  Put(out, o.header_size, 4);
  Put(out, picture.width, 4);
  Put(out, o.top_down ? static_cast<uint32_t>(-static_cast<int32_t>(picture.height)) : picture.height, 4);
  Put(out, 1, 2);
  Put(out, o.bits_per_pixel, 2);
  Put(out, o.compression, 4);
  Put(out, image_size, 4);
  Put(out, 2834, 4);
  Put(out, 2834, 4);
  Put(out, o.colours_used, 4);
  Put(out, o.colours_used, 4);
  out.resize(14 + o.header_size, 0);
  for (uint32_t i = 0; i < palette_entries; ++i) {
    const bool white = (i == 0) == o.white_first;
    Put(out, white ? 0x00FFFFFF : 0, 4);
  }
  out.resize(offset, 0xEE);
  for (uint32_t k = 0; k < picture.height; ++k) {
    const uint32_t y = o.top_down ? k : picture.height - 1 - k;
    std::vector<uint8_t> row(stride, 0);
    for (uint32_t x = 0; x < picture.width; ++x)
      if (!picture.at(x, y)) row[x / 8] |= static_cast<uint8_t>(0x80 >> (x % 8));
    out.insert(out.end(), row.begin(), row.end());
  }
  return out;
}

std::vector<uint8_t> MakeGrob(const Picture& picture, const std::string& header) {
  const uint32_t r = RowBytes(picture.width);
  const uint32_t length = 15 + picture.height * 2 * r;
  // Nibbles after the header: prolog 0x02B1E, L, H, W, each least
  // significant nibble first.
  std::vector<uint8_t> nibbles;
  auto field = [&](uint32_t value) {
    for (int i = 0; i < 5; ++i) nibbles.push_back((value >> (4 * i)) & 0xF);
  };
  field(0x02B1E);
  field(length);
  field(picture.height);
  field(picture.width);
  std::vector<uint8_t> out(header.begin(), header.end());
  for (size_t i = 0; i < nibbles.size(); i += 2)
    out.push_back(static_cast<uint8_t>(nibbles[i] | nibbles[i + 1] << 4));
  for (uint32_t y = 0; y < picture.height; ++y) {
    std::vector<uint8_t> row(r, 0);
    for (uint32_t x = 0; x < picture.width; ++x)
      if (picture.at(x, y)) row[x / 8] |= static_cast<uint8_t>(1 << (x % 8));
    out.insert(out.end(), row.begin(), row.end());
  }
  return out;
}

Picture ReadBmpPicture(const std::vector<uint8_t>& bmp) {
  const uint32_t width = LittleEndianAt(bmp, 18, 4);
  const uint32_t height = LittleEndianAt(bmp, 22, 4);
  const uint32_t stride = Stride(width);
  Picture p{width, height, std::vector<bool>(size_t{width} * height)};
  for (uint32_t y = 0; y < height; ++y)
    for (uint32_t x = 0; x < width; ++x) {
      const uint8_t byte = bmp.at(62 + size_t{height - 1 - y} * stride + x / 8);
      p.dark[size_t{y} * width + x] = !(byte & (0x80 >> (x % 8)));
    }
  return p;
}

Picture ReadGrobPicture(const std::vector<uint8_t>& grob) {
  const uint32_t height = grob.at(13) | grob.at(14) << 8 | (grob.at(15) & 0xF) << 16;
  const uint32_t width = grob.at(15) >> 4 | grob.at(16) << 4 | grob.at(17) << 12;
  const uint32_t r = RowBytes(width);
  Picture p{width, height, std::vector<bool>(size_t{width} * height)};
  for (uint32_t y = 0; y < height; ++y)
    for (uint32_t x = 0; x < width; ++x)
      p.dark[size_t{y} * width + x] = grob.at(18 + size_t{y} * r + x / 8) & (1 << (x % 8));
  return p;
}

bool GrobPaddingIsClear(const std::vector<uint8_t>& grob) {
  const Picture p = ReadGrobPicture(grob);
  const uint32_t r = RowBytes(p.width);
  for (uint32_t y = 0; y < p.height; ++y)
    for (uint32_t x = p.width; x < r * 8; ++x)
      if (grob.at(18 + size_t{y} * r + x / 8) & (1 << (x % 8))) return false;
  return true;
}

bool BmpPaddingIsClear(const std::vector<uint8_t>& bmp) {
  const uint32_t width = LittleEndianAt(bmp, 18, 4);
  const uint32_t height = LittleEndianAt(bmp, 22, 4);
  const uint32_t stride = Stride(width);
  for (uint32_t k = 0; k < height; ++k)
    for (uint32_t x = width; x < stride * 8; ++x)
      if (bmp.at(62 + size_t{k} * stride + x / 8) & (0x80 >> (x % 8))) return false;
  return true;
}

}  // namespace dravik::testing
