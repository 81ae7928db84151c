// Pictures for the BMP/GROB tests, built and read pixel by pixel
// independently of the converter's byte transform.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace dravik::testing {

// A monochrome picture, top row first.
struct Picture {
  uint32_t width = 0;
  uint32_t height = 0;
  std::vector<bool> dark;  // width * height entries
  bool at(uint32_t x, uint32_t y) const { return dark[size_t{y} * width + x]; }
  bool operator==(const Picture&) const = default;
};

// A picture with an irregular pattern, so rows and columns cannot be swapped
// or shifted without notice.
Picture PatternPicture(uint32_t width, uint32_t height);

// How a test bitmap deviates from the one the converter writes.
struct BmpOptions {
  uint32_t header_size = 40;        // 108 and 124 are the later versions
  bool top_down = false;            // negative height, top row first
  uint16_t bits_per_pixel = 1;
  uint32_t colours_used = 2;
  bool white_first = false;         // palette entry 0 white, entry 1 black
  uint32_t gap = 0;                 // bytes between palette and pixel data
  uint32_t compression = 0;
  std::optional<uint32_t> image_size;  // overrides the right value
};

// A bitmap file of the picture: a dark pixel has index 0, a light one 1.
std::vector<uint8_t> MakeBmp(const Picture& picture, const BmpOptions& options = {});

// A GROB file of the picture ("HPHP48-" + letter, prolog, L, H, W, rows).
std::vector<uint8_t> MakeGrob(const Picture& picture, const std::string& header = "HPHP48-R");

// The picture of a bitmap as the converter writes it (62-byte headers,
// bottom-up rows); index 0 is dark.
Picture ReadBmpPicture(const std::vector<uint8_t>& bmp);

// The picture of a GROB file (rows from byte 18).
Picture ReadGrobPicture(const std::vector<uint8_t>& grob);

// Bits beyond the width in the last byte of each row, which must be 0.
bool GrobPaddingIsClear(const std::vector<uint8_t>& grob);
bool BmpPaddingIsClear(const std::vector<uint8_t>& bmp);

uint32_t LittleEndianAt(const std::vector<uint8_t>& bytes, size_t at, int size);

}  // namespace dravik::testing
