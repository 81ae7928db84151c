// The calculator's character set and UTF-8. Codes 0-127 are ASCII, 160-255
// are ISO 8859-1 (171 is «, 187 is », 215 is ×) and 128-159 are the
// calculator's own mathematical and Greek characters (∠, √, π, →, ...).
//
// A person sees and types these characters in one of two forms: UTF-8, or
// the calculator's own ASCII spellings (its translation mode 3: \Ga for α,
// \<< for «, \-> for →, \229 for å), which any terminal shows and any
// keyboard types.
#pragma once

#include <string>
#include <string_view>

namespace dravik::hp48 {

enum class CharacterForm { Utf8, Ascii };

// The text with every code from 128 up as its UTF-8 spelling.
std::string ToUtf8(std::string_view calculator_text);

// The text with every UTF-8 spelling of a calculator character as that
// character's code; anything else (ASCII, bytes that are no UTF-8, characters
// the calculator lacks) is kept as it is.
std::string FromUtf8(std::string_view utf8_text);

// The text with every code from 128 up as its backslash spelling: the named
// ones (\<) \Ga \-> \<< \>> \.x ...), the others \ and three decimal digits.
std::string ToAsciiSpelling(std::string_view calculator_text);

// The text with every backslash spelling of a code from 128 up as that code;
// any other backslash is kept as it is.
std::string FromAsciiSpelling(std::string_view ascii_text);

// The calculator text in the form given.
std::string InForm(std::string_view calculator_text, CharacterForm form);

// What a person typed as calculator text, whichever form it is in: UTF-8,
// backslash spellings, or the calculator's own codes.
std::string FromTyped(std::string_view typed);

// A text that holds calculator text beside UTF-8 text of the PC (a message
// that names an object and a file), in the form given: every well-formed
// UTF-8 sequence is the PC's and is kept as it is; every other code from
// 128 up is a calculator character.
std::string MixedInForm(std::string_view text, CharacterForm form);

}  // namespace dravik::hp48
