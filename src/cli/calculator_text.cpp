#include "cli/calculator_text.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>

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

hp48::CharacterForm TerminalForm() {
  return TerminalIsUtf8() ? hp48::CharacterForm::Utf8 : hp48::CharacterForm::Ascii;
}

std::string Shown(std::string_view calculator_text) {
  return hp48::InForm(calculator_text, TerminalForm());
}

std::string ShownMessage(std::string_view text) { return hp48::MixedInForm(text, TerminalForm()); }

std::string Typed(std::string_view typed) { return hp48::FromTyped(typed); }

std::vector<std::string> Typed(const std::vector<std::string>& typed) {
  std::vector<std::string> out;
  out.reserve(typed.size());
  for (const std::string& word : typed) out.push_back(Typed(word));
  return out;
}

size_t DisplayWidth(std::string_view printed) {
  size_t width = 0;
  for (size_t i = 0; i < printed.size(); ++i) {
    const auto c = static_cast<unsigned char>(printed[i]);
    if ((c & 0xC0) == 0x80) continue;  // inside a character
    // U+0300-U+036F, the combining marks (the macron of x̄), take no column.
    const auto next = i + 1 < printed.size() ? static_cast<unsigned char>(printed[i + 1]) : 0;
    if ((c == 0xCC && next >= 0x80) || (c == 0xCD && next < 0xB0 && next >= 0x80)) continue;
    ++width;
  }
  return width;
}

std::string PadRight(std::string text, size_t width) {
  const size_t used = DisplayWidth(text);
  if (used < width) text.append(width - used, ' ');
  return text;
}

std::string PadLeft(const std::string& text, size_t width) {
  const size_t used = DisplayWidth(text);
  return used < width ? std::string(width - used, ' ') + text : text;
}

std::string ConsoleForm(std::string_view calculator_text, hp48::CharacterForm form) {
  std::string text;
  text.reserve(calculator_text.size());
  for (size_t i = 0; i < calculator_text.size(); ++i) {
    if (calculator_text[i] == '\r' && i + 1 < calculator_text.size() &&
        calculator_text[i + 1] == '\n')
      continue;
    text += calculator_text[i];
  }
  return hp48::InForm(hp48::FromAsciiSpelling(text), form);
}

void PrintCalculatorText(std::string_view calculator_text) {
  const std::string text = ConsoleForm(calculator_text, TerminalForm());
  std::fwrite(text.data(), 1, text.size(), stdout);
  if (!text.empty() && text.back() != '\n') std::fputc('\n', stdout);
  std::fflush(stdout);
}

}  // namespace dravik::cli
