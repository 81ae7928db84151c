// TRANSIO translation of text going out (8-bit characters to backslash
// spellings) and coming in (spellings back to characters).
#pragma once

#include <string>
#include <string_view>

namespace dravik::sim {

// Mode 0 and 1 leave characters as they are; 2 spells 128-159; 3 spells
// every character from 128 up (named ones such as \<< \>> \-> \.x, the rest
// as \nnn in decimal). Modes 1-3 also turn a lone LF into CR LF.
std::string TranslateOut(std::string_view text, int mode);
// Reads spellings back: mode 3 all of them, mode 2 those of 128-159, and
// \nnn in both; modes 1-3 turn CR LF into LF. Unknown spellings stay.
std::string TranslateIn(std::string_view text, int mode);

}  // namespace dravik::sim
