#include "cli/calculator_text.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>

#include "link/hp48_charset.h"

namespace dravik::cli {

bool TerminalIsUtf8() {
  const char* locale = nullptr;
  for (const char* name : {"LC_ALL", "LC_CTYPE", "LANG"}) {
    const char* value = std::getenv(name);
    if (value && *value) {
      locale = value;
      break;
    }
  }
  if (!locale) return false;
  std::string lower;
  for (const char* p = locale; *p; ++p)
    if (*p != '-') lower += static_cast<char>(std::tolower(static_cast<unsigned char>(*p)));
  return lower.find("utf8") != std::string::npos;
}

std::string ConsoleForm(std::string_view calculator_text, bool utf8) {
  std::string text;
  text.reserve(calculator_text.size());
  for (size_t i = 0; i < calculator_text.size(); ++i) {
    if (calculator_text[i] == '\r' && i + 1 < calculator_text.size() &&
        calculator_text[i + 1] == '\n')
      continue;
    text += calculator_text[i];
  }
  return utf8 ? hp48::ToUtf8(text) : text;
}

void PrintCalculatorText(std::string_view calculator_text) {
  const std::string text = ConsoleForm(calculator_text, TerminalIsUtf8());
  std::fwrite(text.data(), 1, text.size(), stdout);
  if (!text.empty() && text.back() != '\n') std::fputc('\n', stdout);
  std::fflush(stdout);
}

}  // namespace dravik::cli
