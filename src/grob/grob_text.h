// The text form of a graphic, as the calculator writes it in an ASCII
// transfer: an optional "%%HP: …;" header line, then `GROB w h hex`, the
// hex digits being the rows' nibbles in memory order (2R a row).
#pragma once

#include <cstdint>
#include <span>

#include "grob/grob_layout.h"

namespace dravik {

// True when the bytes, after an optional %%HP: header and blanks, start
// with the word GROB.
bool IsGrobText(std::span<const uint8_t> text);

// The GROB file in binary form ("HPHP48-E" and the object) that the text
// stands for, for the readers of pictures (which ignore the header text). Refused with kMsgTooLargeForGrob when the size does not fit
// a GROB's 5-nibble fields, with kMsgNoValidGrob when the text is not one
// graphic (a zero size, a hex digit too many or too few, anything after it).
PictureBytes GrobTextToBinary(std::span<const uint8_t> text);

}  // namespace dravik
