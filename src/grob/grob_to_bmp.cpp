#include "grob/grob_to_bmp.h"

#include "grob/grob_text.h"

namespace dravik {

namespace {

void AppendU16(std::vector<uint8_t>& out, uint32_t value) {
  out.push_back(static_cast<uint8_t>(value));
  out.push_back(static_cast<uint8_t>(value >> 8));
}

void AppendU32(std::vector<uint8_t>& out, uint32_t value) {
  AppendU16(out, value & 0xFFFF);
  AppendU16(out, value >> 16);
}

// The 62 bytes before the pixel rows: file header, 40-byte information
// header, palette entry 0 black and entry 1 white.
void AppendBmpHeaders(std::vector<uint8_t>& out, uint32_t width, uint32_t height,
                      uint32_t image_size) {
  out.push_back('B');
  out.push_back('M');
  AppendU32(out, static_cast<uint32_t>(kBmpWrittenDataOffset) + image_size);
  AppendU16(out, 0);
  AppendU16(out, 0);
  AppendU32(out, static_cast<uint32_t>(kBmpWrittenDataOffset));
  AppendU32(out, static_cast<uint32_t>(kBmpInfoHeaderBytes));
  AppendU32(out, width);
  AppendU32(out, height);  // positive: bottom row first
  AppendU16(out, 1);       // planes
  AppendU16(out, 1);       // bits per pixel
  AppendU32(out, 0);       // no compression
  AppendU32(out, image_size);
  AppendU32(out, kBmpPixelsPerMetre);
  AppendU32(out, kBmpPixelsPerMetre);
  AppendU32(out, 2);  // colours used
  AppendU32(out, 2);  // important colours
  AppendU32(out, 0x00000000);  // blue, green, red, reserved: black
  AppendU32(out, 0x00FFFFFF);  // white
}

}  // namespace

PictureBytes GrobToBmp(std::span<const uint8_t> file) {
  // The text form an ASCII transfer writes becomes the binary form first.
  PictureBytes from_text;
  std::span<const uint8_t> grob = file;
  if (IsGrobText(file)) {
    from_text = GrobTextToBinary(file);
    if (!from_text.ok()) return from_text;
    grob = from_text.bytes;
  }
  if (grob.size() < kGrobHeaderBytes || grob[8] != kGrobPrologByte8 ||
      grob[9] != kGrobPrologByte9 || (grob[10] & 0xF) != 0)
    return PictureBytes{{}, kMsgNoValidGrob};
  const uint64_t length = grob[10] >> 4 | grob[11] << 4 | grob[12] << 12;
  const uint64_t height = grob[13] | grob[14] << 8 | (grob[15] & 0xF) << 16;
  const uint64_t width = grob[15] >> 4 | grob[16] << 4 | grob[17] << 12;
  if (width == 0 || height == 0 || length < GrobLength(width, height))
    return PictureBytes{{}, kMsgNoValidGrob};
  // From byte 8 the file holds the 5 prolog nibbles and the L nibbles after
  // them, two to a byte.
  const uint64_t object_bytes = (5 + length + 1) / 2;
  if (grob.size() < 8 + object_bytes) return PictureBytes{{}, kMsgNoValidGrob};

  const uint64_t row_bytes = GrobRowBytes(width);
  const uint64_t stride = BmpRowStride(width);
  const uint64_t image_size = stride * height;
  const uint8_t last_mask = BmpLastByteMask(width);
  PictureBytes result;
  std::vector<uint8_t>& out = result.bytes;
  out.reserve(kBmpWrittenDataOffset + image_size);
  AppendBmpHeaders(out, static_cast<uint32_t>(width), static_cast<uint32_t>(height),
                   static_cast<uint32_t>(image_size));
  out.resize(kBmpWrittenDataOffset + image_size, 0);
  for (uint64_t row = 0; row < height; ++row) {
    const uint8_t* pixels = grob.data() + kGrobHeaderBytes + (height - 1 - row) * row_bytes;
    uint8_t* target = out.data() + kBmpWrittenDataOffset + row * stride;
    for (uint64_t i = 0; i < row_bytes; ++i) target[i] = FlipPixelByte(pixels[i]);
    target[row_bytes - 1] &= last_mask;
  }
  return result;
}

}  // namespace dravik
