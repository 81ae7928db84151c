// BMP -> GROB in memory: a monochrome bitmap file in, a GROB file out.
#pragma once

#include <cstdint>
#include <span>

#include "grob/grob_layout.h"

namespace dravik {

// Converts the bytes of a BMP file into the bytes of a GROB file for the
// family (its header, prolog, L, H, W, rows top row first). A pixel is dark
// where its palette colour is dark, so a bitmap shows the same picture
// whichever order its palette lists black and white in.
//
// Accepted: "BM", an information header of 40 bytes or more, 1 bit per
// pixel, no compression, 0 to 2 colours used, rows bottom-up (positive
// height) or top-down (negative height), pixel data where the data-offset
// field says, an image-size field of 0 (the rows give the size). Refused
// with kMsgTooManyColors: more than 1 bit per pixel or more than 2 colours
// used. Refused with kMsgTooLargeForGrob: a picture too large for the
// GROB's 5-nibble fields. Refused with kMsgNoValidBmp: anything else that
// is malformed, a zero height or width, or a file shorter than its headers
// claim.
PictureBytes BmpToGrob(std::span<const uint8_t> bmp,
                       CalculatorFamily family = CalculatorFamily::Hp48);

}  // namespace dravik
