// GROB -> BMP in memory: a GROB file in, a monochrome bitmap file out.
#pragma once

#include <cstdint>
#include <span>

#include "grob/grob_layout.h"

namespace dravik {

// Converts the bytes of a GROB file (binary form, or the text form that
// grob_text.h reads) into a BMP file: 62 bytes of headers
// and a black/white palette, then the rows bottom row first, each padded
// to a multiple of 4 bytes. Dark pixels get index 0 (black).
//
// The file is taken as a GROB when bytes 8 and 9 are 0x1E and 0x2B and the
// low half of byte 10 is 0 (the prolog 0x02B1E); the header text in bytes
// 0 to 7 may be anything. Refused with kMsgNoValidGrob: another prolog, a
// zero height or width, a length field smaller than the rows need, or a
// file shorter than the object its length field claims.
PictureBytes GrobToBmp(std::span<const uint8_t> grob);

}  // namespace dravik
