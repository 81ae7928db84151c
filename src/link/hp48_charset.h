// The calculator's character set and UTF-8. Codes 0-127 are ASCII, 160-255
// are ISO 8859-1 (171 is «, 187 is », 215 is ×) and 128-159 are the
// calculator's own mathematical and Greek characters (∠, √, π, →, ...).
#pragma once

#include <string>
#include <string_view>

namespace dravik::hp48 {

// The text with every code from 128 up as its UTF-8 spelling.
std::string ToUtf8(std::string_view calculator_text);

// The text with every UTF-8 spelling of a calculator character as that
// character's code; anything else (ASCII, bytes that are no UTF-8, characters
// the calculator lacks) is kept as it is.
std::string FromUtf8(std::string_view utf8_text);

}  // namespace dravik::hp48
