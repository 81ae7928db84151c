#include "link/hp48_charset.h"

#include <array>
#include <cstdint>

namespace dravik::hp48 {
namespace {

// Codes 128-159. 129 is x with a combining macron: two code points.
constexpr std::array<std::string_view, 32> kMathCharacters = {
    "∠", "x̄", "∇", "√", "∫", "Σ", "▶", "π", "∂", "≤", "≥", "≠", "α", "→", "←", "↓",
    "↑", "γ", "δ", "ε", "η", "θ", "λ", "ρ", "σ", "τ", "ω", "Δ", "Π", "Ω", "■", "∞"};

void AppendLatin1(unsigned char c, std::string& out) {
  out += static_cast<char>(0xC0 | (c >> 6));
  out += static_cast<char>(0x80 | (c & 0x3F));
}

}  // namespace

std::string ToUtf8(std::string_view calculator_text) {
  std::string out;
  out.reserve(calculator_text.size());
  for (char ch : calculator_text) {
    const auto c = static_cast<unsigned char>(ch);
    if (c < 128) out += ch;
    else if (c < 160) out += kMathCharacters[c - 128];
    else AppendLatin1(c, out);
  }
  return out;
}

std::string FromUtf8(std::string_view utf8_text) {
  std::string out;
  out.reserve(utf8_text.size());
  size_t i = 0;
  while (i < utf8_text.size()) {
    const auto c = static_cast<unsigned char>(utf8_text[i]);
    if (c >= 0x80 || c == 'x') {
      bool matched = false;
      for (size_t k = 0; k < kMathCharacters.size() && !matched; ++k) {
        if (utf8_text.substr(i, kMathCharacters[k].size()) == kMathCharacters[k]) {
          out += static_cast<char>(128 + k);
          i += kMathCharacters[k].size();
          matched = true;
        }
      }
      if (matched) continue;
      // A two-byte spelling of 160-255.
      if ((c == 0xC2 || c == 0xC3) && i + 1 < utf8_text.size()) {
        const auto next = static_cast<unsigned char>(utf8_text[i + 1]);
        const unsigned code = ((c & 0x1Fu) << 6) | (next & 0x3Fu);
        if ((next & 0xC0) == 0x80 && code >= 160) {
          out += static_cast<char>(code);
          i += 2;
          continue;
        }
      }
    }
    out += static_cast<char>(c);
    ++i;
  }
  return out;
}

}  // namespace dravik::hp48
