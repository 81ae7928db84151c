// The two picture formats the converter moves between, and what they share.
//
// A GROB file is the calculator's binary transfer form of a graphics object:
// the 8-byte header "HPHP48-" or "HPHP49-" + letter, then the object's
// nibbles packed two to a byte, low nibble first. Both families' GROB
// objects are the same; only the header says which calculator takes it. The object is the prolog 0x02B1E, then three
// 5-nibble fields (length L, height H, width W, least significant nibble
// first) and H rows of R = ceil(W / 8) bytes, bit 0 the leftmost pixel,
// a set bit dark.
//
// The BMP side is a monochrome Windows bitmap: 1 bit per pixel, bit 7 the
// leftmost pixel, rows padded to a multiple of 4 bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "hpfile/calculator_family.h"

namespace dravik {

// Messages of the conversions, shown with the caption kPictureMessageCaption.
inline constexpr std::string_view kMsgCannotOpenBmp = "Cannot open the file";
inline constexpr std::string_view kMsgNoValidBmp = "No valid BMP-file";
inline constexpr std::string_view kMsgTooManyColors = "Bitmap contains more than 2 colors";
inline constexpr std::string_view kMsgTooLargeForGrob = "The picture is too large for a GROB";
inline constexpr std::string_view kMsgCannotOpenGrob = "Cannot open the GROB file";
inline constexpr std::string_view kMsgNoValidGrob = "No valid GROB file";
// Followed by the path of the output file.
inline constexpr std::string_view kMsgCannotCreate = "Cannot create the file ";
inline constexpr std::string_view kPictureMessageCaption = "ERROR";

// The outcome of a conversion in memory.
struct PictureBytes {
  std::vector<uint8_t> bytes;  // the whole output file when ok()
  std::string_view message;    // one of the messages above when the input is refused
  bool ok() const { return message.empty(); }
};

// GROB file layout.
inline constexpr size_t kGrobHeaderBytes = 18;      // header text, prolog, L, H, W
inline constexpr uint32_t kGrobFieldLimit = 1u << 20;  // a 5-nibble field holds less
inline constexpr uint32_t kGrobSizeNibbles = 15;    // the L, H and W fields
inline constexpr uint8_t kGrobPrologByte8 = 0x1E;
inline constexpr uint8_t kGrobPrologByte9 = 0x2B;

// BMP file layout as written.
inline constexpr size_t kBmpFileHeaderBytes = 14;
inline constexpr size_t kBmpInfoHeaderBytes = 40;
inline constexpr size_t kBmpWrittenDataOffset = 62;  // headers + 2 palette entries
inline constexpr uint32_t kBmpPixelsPerMetre = 2834;

// Bytes per GROB row: R = ceil(W / 8).
inline constexpr uint64_t GrobRowBytes(uint64_t width) { return (width + 7) / 8; }
// Nibbles from the start of the length field to the end of the object.
inline constexpr uint64_t GrobLength(uint64_t width, uint64_t height) {
  return kGrobSizeNibbles + height * 2 * GrobRowBytes(width);
}
// Bytes per BMP row of a 1-bit bitmap: the R bytes rounded up to a multiple of 4.
inline constexpr uint64_t BmpRowStride(uint64_t width) { return (GrobRowBytes(width) + 3) / 4 * 4; }

// The header text of the GROB files made for a family: "HPHP48-E" for the
// HP48 (the letter of files Dravik makes), "HPHP49-B" for the HP49 (the
// letter its ROM writes).
std::string_view GrobHeaderText(CalculatorFamily family);

// Appends the first kGrobHeaderBytes of a GROB file: the family's header
// text, the prolog and the L, H and W fields. W and H must be below
// kGrobFieldLimit.
void AppendGrobFileHeader(std::vector<uint8_t>& out, uint32_t width, uint32_t height,
                          CalculatorFamily family);

// Turns a BMP byte (bit 7 leftmost, 0 = black) into a GROB byte (bit 0
// leftmost, 1 = dark) and back: the 8 bits reversed, then inverted.
uint8_t FlipPixelByte(uint8_t byte);

// Masks of the pixels inside the width in the last byte of a row: the low
// W mod 8 bits of a GROB byte, the high W mod 8 bits of a BMP byte; all 8
// when W is a multiple of 8.
uint8_t GrobLastByteMask(uint64_t width);
uint8_t BmpLastByteMask(uint64_t width);

}  // namespace dravik
