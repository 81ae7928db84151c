#include "grob/bmp_to_grob.h"

#include <string_view>

namespace dravik {

namespace {

// Field offsets of the file header and the information header.
constexpr size_t kDataOffsetField = 10;
constexpr size_t kHeaderSizeField = 14;
constexpr size_t kWidthField = 18;
constexpr size_t kHeightField = 22;
constexpr size_t kBitsPerPixelField = 28;
constexpr size_t kCompressionField = 30;
constexpr size_t kImageSizeField = 34;
constexpr size_t kColoursUsedField = 46;
constexpr size_t kPaletteEntryBytes = 4;

uint32_t U16At(std::span<const uint8_t> b, size_t at) {
  return static_cast<uint32_t>(b[at] | b[at + 1] << 8);
}

uint32_t U32At(std::span<const uint8_t> b, size_t at) {
  return static_cast<uint32_t>(b[at]) | static_cast<uint32_t>(b[at + 1]) << 8 |
         static_cast<uint32_t>(b[at + 2]) << 16 | static_cast<uint32_t>(b[at + 3]) << 24;
}

PictureBytes Refused(std::string_view message) { return PictureBytes{{}, message}; }

// Appends the GROB header: "HPHP48-E", the prolog and the L, H and W fields.
void AppendGrobHeader(std::vector<uint8_t>& out, uint32_t width, uint32_t height) {
  const uint32_t length = static_cast<uint32_t>(GrobLength(width, height));
  constexpr std::string_view kText = "HPHP48-E";
  out.insert(out.end(), kText.begin(), kText.end());
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

}  // namespace

PictureBytes BmpToGrob(std::span<const uint8_t> bmp) {
  if (bmp.size() < 2 || bmp[0] != 'B' || bmp[1] != 'M') return Refused(kMsgNoValidBmp);
  const uint64_t file_size = bmp.size();
  if (file_size < kBmpFileHeaderBytes + kBmpInfoHeaderBytes) return Refused(kMsgNoValidBmp);
  // A longer header (version 4 or 5) begins with the same 40 bytes.
  const uint64_t header_size = U32At(bmp, kHeaderSizeField);
  if (header_size < kBmpInfoHeaderBytes || kBmpFileHeaderBytes + header_size > file_size)
    return Refused(kMsgNoValidBmp);

  const uint32_t bits_per_pixel = U16At(bmp, kBitsPerPixelField);
  const uint32_t colours_used = U32At(bmp, kColoursUsedField);
  if (colours_used > 2 || bits_per_pixel > 1) return Refused(kMsgTooManyColors);
  if (bits_per_pixel == 0) return Refused(kMsgNoValidBmp);
  // A compressed 1-bit bitmap is not a valid BMP; its rows cannot be read raw.
  if (U32At(bmp, kCompressionField) != 0) return Refused(kMsgNoValidBmp);

  const uint64_t image_size = U32At(bmp, kImageSizeField);
  if (image_size == 0) return Refused(kMsgNoValidBmp);

  // Negative height: rows stored top row first. Width must be positive.
  const int32_t raw_width = static_cast<int32_t>(U32At(bmp, kWidthField));
  const int32_t raw_height = static_cast<int32_t>(U32At(bmp, kHeightField));
  if (raw_width <= 0 || raw_height == 0) return Refused(kMsgNoValidBmp);
  const uint64_t width = static_cast<uint64_t>(raw_width);
  const bool top_down = raw_height < 0;
  const uint64_t height = static_cast<uint64_t>(top_down ? -static_cast<int64_t>(raw_height)
                                                        : static_cast<int64_t>(raw_height));
  if (width >= kGrobFieldLimit || height >= kGrobFieldLimit ||
      GrobLength(width, height) >= kGrobFieldLimit)
    return Refused(kMsgNoValidBmp);

  // The palette (colours-used entries, 2 when the field is 0) lies between
  // the headers and the pixel data. It is not consulted: index 0 is dark.
  const uint64_t palette_entries = colours_used == 0 ? 2 : colours_used;
  const uint64_t palette_end = kBmpFileHeaderBytes + header_size + palette_entries * kPaletteEntryBytes;
  const uint64_t data_offset = U32At(bmp, kDataOffsetField);
  const uint64_t stride = BmpRowStride(width);
  if (data_offset < palette_end || image_size < stride * height ||
      data_offset + image_size > file_size)
    return Refused(kMsgNoValidBmp);

  const uint64_t row_bytes = GrobRowBytes(width);
  const uint8_t last_mask = GrobLastByteMask(width);
  PictureBytes result;
  std::vector<uint8_t>& out = result.bytes;
  out.reserve(kGrobHeaderBytes + row_bytes * height);
  AppendGrobHeader(out, static_cast<uint32_t>(width), static_cast<uint32_t>(height));
  for (uint64_t row = 0; row < height; ++row) {
    const uint64_t bmp_row = top_down ? row : height - 1 - row;
    const uint8_t* pixels = bmp.data() + data_offset + bmp_row * stride;
    for (uint64_t i = 0; i < row_bytes; ++i) out.push_back(FlipPixelByte(pixels[i]));
    out.back() &= last_mask;
  }
  return result;
}

}  // namespace dravik
