// Text from the calculator on the console: its CR LF line ends become LF
// (as every other command prints), and on a UTF-8 terminal its characters
// 128-255 (« » → π ...) become their UTF-8 spellings.
#pragma once

#include <string>
#include <string_view>

namespace dravik::cli {

// True when the locale (LC_ALL, else LC_CTYPE, else LANG) names UTF-8.
bool TerminalIsUtf8();

// The text as it is printed: LF line ends, UTF-8 when utf8 is true.
std::string ConsoleForm(std::string_view calculator_text, bool utf8);

// Prints the console form of the text on stdout, ending with a line end.
void PrintCalculatorText(std::string_view calculator_text);

}  // namespace dravik::cli
