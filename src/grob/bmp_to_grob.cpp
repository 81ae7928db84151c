#include "grob/bmp_to_grob.h"

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

// Whether a palette entry (blue, green, red, reserved) is a dark colour.
bool IsDarkColour(const uint8_t* entry) {
  const unsigned luminance = (114u * entry[0] + 587u * entry[1] + 299u * entry[2]) / 1000u;
  return luminance < 128;
}


}  // namespace

PictureBytes BmpToGrob(std::span<const uint8_t> bmp, CalculatorFamily family) {
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
    return Refused(kMsgTooLargeForGrob);

  // The palette (colours-used entries, 2 when the field is 0) lies between
  // the headers and the pixel data.
  const uint64_t palette_entries = colours_used == 0 ? 2 : colours_used;
  const uint64_t palette_at = kBmpFileHeaderBytes + header_size;
  const uint64_t palette_end = palette_at + palette_entries * kPaletteEntryBytes;
  const uint64_t data_offset = U32At(bmp, kDataOffsetField);
  const uint64_t stride = BmpRowStride(width);
  // An uncompressed bitmap may leave its image size 0: the rows tell it.
  const uint64_t image_size = U32At(bmp, kImageSizeField) == 0 ? stride * height
                                                               : U32At(bmp, kImageSizeField);
  if (data_offset < palette_end || image_size < stride * height ||
      data_offset + image_size > file_size)
    return Refused(kMsgNoValidBmp);

  // A GROB pixel is set where the palette's colour is dark. An index the
  // palette leaves out keeps the usual meaning: 0 dark, 1 light.
  const bool index0_dark = IsDarkColour(bmp.data() + palette_at);
  const bool index1_dark = palette_entries > 1 && IsDarkColour(bmp.data() + palette_at + kPaletteEntryBytes);
  // FlipPixelByte makes index 0 dark; the other three cases follow from it.
  auto pixel_byte = [&](uint8_t b) -> uint8_t {
    if (index0_dark && !index1_dark) return FlipPixelByte(b);
    if (!index0_dark && index1_dark) return static_cast<uint8_t>(~FlipPixelByte(b));
    return index0_dark ? 0xFF : 0x00;
  };

  const uint64_t row_bytes = GrobRowBytes(width);
  const uint8_t last_mask = GrobLastByteMask(width);
  PictureBytes result;
  std::vector<uint8_t>& out = result.bytes;
  out.reserve(kGrobHeaderBytes + row_bytes * height);
  AppendGrobFileHeader(out, static_cast<uint32_t>(width), static_cast<uint32_t>(height), family);
  for (uint64_t row = 0; row < height; ++row) {
    const uint64_t bmp_row = top_down ? row : height - 1 - row;
    const uint8_t* pixels = bmp.data() + data_offset + bmp_row * stride;
    for (uint64_t i = 0; i < row_bytes; ++i) out.push_back(pixel_byte(pixels[i]));
    out.back() &= last_mask;
  }
  return result;
}

}  // namespace dravik
