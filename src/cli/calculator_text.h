// Calculator text on the console and from the command line. The
// calculator's characters 128-255 (« » → π α ...) are printed as UTF-8 on a
// UTF-8 terminal and as the calculator's backslash spellings (\<< \>> \->
// \pi \Ga) under any other locale; what is typed is read in either form
// whatever the locale, so that a name printed reads back as the same name.
// Text from the calculator also gets LF line ends, as every other command
// prints.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "link/hp48_charset.h"

namespace dravik::cli {

// True when the locale (LC_ALL, else LC_CTYPE, else LANG) names UTF-8.
bool TerminalIsUtf8();

// The form the terminal shows the calculator's characters in.
hp48::CharacterForm TerminalForm();

// A calculator name or path as printed.
std::string Shown(std::string_view calculator_text);

// A message that may name calculator objects beside PC files, as printed
// (see hp48::MixedInForm).
std::string ShownMessage(std::string_view text);

// A calculator name, path or command line as typed, as calculator text.
std::string Typed(std::string_view typed);
std::vector<std::string> Typed(const std::vector<std::string>& typed);

// The columns a printed text takes: its characters, less combining marks.
size_t DisplayWidth(std::string_view printed);

// The printed text padded with blanks to width columns.
std::string PadRight(std::string text, size_t width);
// The printed text after blanks that make it width columns.
std::string PadLeft(const std::string& text, size_t width);

// The text as it is printed: LF line ends, the calculator's backslash
// spellings read (as it writes them in translation mode 3) and every
// character in the terminal's form.
std::string ConsoleForm(std::string_view calculator_text, hp48::CharacterForm form);

// Prints the console form of the text on stdout, ending with a line end.
void PrintCalculatorText(std::string_view calculator_text);

}  // namespace dravik::cli
