#include "link/hp48_charset.h"

#include <array>
#include <cstdint>

namespace dravik::hp48 {
namespace {

// Codes 128-159. 129 is x with a combining macron: two code points.
constexpr std::array<std::string_view, 32> kMathCharacters = {
    "∠", "x̄", "∇", "√", "∫", "Σ", "▶", "π", "∂", "≤", "≥", "≠", "α", "→", "←", "↓",
    "↑", "γ", "δ", "ε", "η", "θ", "λ", "ρ", "σ", "τ", "ω", "Δ", "Π", "Ω", "■", "∞"};

// The backslash spellings of codes 128-159, in code order, and of those
// from 160 up that have a name; every other code is spelled in decimal.
constexpr std::array<std::string_view, 32> kMathSpellings = {
    "<)", "x-", ".V", "v/", ".S", "GS", "|>", "pi", ".d", "<=", ">=", "=/", "Ga", "->", "<-",
    "|v", "|^", "Gg", "Gd", "Ge", "Gn", "Gh", "Gl", "Gr", "Gs", "Gt", "Gw", "GD", "PI", "GW",
    "[]", "oo"};
struct NamedSpelling {
  unsigned char code;
  std::string_view spelling;
};
constexpr std::array<NamedSpelling, 8> kLatinSpellings = {{{171, "<<"}, {187, ">>"}, {215, ".x"},
                                                           {216, "O/"}, {223, "Gb"}, {247, ":-"},
                                                           {176, "^o"}, {181, "Gm"}}};

void AppendLatin1(unsigned char c, std::string& out) {
  out += static_cast<char>(0xC0 | (c >> 6));
  out += static_cast<char>(0x80 | (c & 0x3F));
}

void AppendUtf8(unsigned char c, std::string& out) {
  if (c < 128) out += static_cast<char>(c);
  else if (c < 160) out += kMathCharacters[c - 128];
  else AppendLatin1(c, out);
}

std::string_view NamedSpellingOf(unsigned char c) {
  if (c >= 128 && c < 160) return kMathSpellings[c - 128];
  for (const NamedSpelling& named : kLatinSpellings)
    if (named.code == c) return named.spelling;
  return {};
}

void AppendSpelling(unsigned char c, std::string& out) {
  if (c < 128) {
    out += static_cast<char>(c);
    return;
  }
  out += '\\';
  const std::string_view named = NamedSpellingOf(c);
  out += named.empty() ? std::to_string(c) : std::string(named);
}

void AppendInForm(unsigned char c, CharacterForm form, std::string& out) {
  if (form == CharacterForm::Utf8) AppendUtf8(c, out);
  else AppendSpelling(c, out);
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The code a spelling at the start of text (after its backslash) stands
// for, and its length; 0 when it is none.
size_t ReadSpelling(std::string_view text, unsigned char& code) {
  if (text.size() >= 3 && IsDigit(text[0]) && IsDigit(text[1]) && IsDigit(text[2])) {
    const int value = (text[0] - '0') * 100 + (text[1] - '0') * 10 + (text[2] - '0');
    if (value < 128 || value > 255) return 0;
    code = static_cast<unsigned char>(value);
    return 3;
  }
  for (int c = 128; c < 256; ++c) {
    const std::string_view named = NamedSpellingOf(static_cast<unsigned char>(c));
    if (!named.empty() && text.substr(0, named.size()) == named) {
      code = static_cast<unsigned char>(c);
      return named.size();
    }
  }
  return 0;
}

bool IsContinuation(unsigned char c) { return (c & 0xC0) == 0x80; }

// The length of the well-formed UTF-8 sequence of two or more bytes that
// starts text; 0 when none does.
size_t Utf8SequenceLength(std::string_view text) {
  const auto lead = static_cast<unsigned char>(text[0]);
  size_t length = 0;
  unsigned char low = 0x80, high = 0xBF;  // the range of the second byte
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) low = 0xA0;   // no overlong form
    if (lead == 0xED) high = 0x9F;  // no surrogate
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
  }
  if (length == 0 || text.size() < length) return 0;
  const auto second = static_cast<unsigned char>(text[1]);
  if (second < low || second > high) return 0;
  for (size_t i = 2; i < length; ++i)
    if (!IsContinuation(static_cast<unsigned char>(text[i]))) return 0;
  return length;
}

}  // namespace

std::string ToUtf8(std::string_view calculator_text) {
  std::string out;
  out.reserve(calculator_text.size());
  for (char ch : calculator_text) AppendUtf8(static_cast<unsigned char>(ch), out);
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

std::string ToAsciiSpelling(std::string_view calculator_text) {
  std::string out;
  out.reserve(calculator_text.size());
  for (char ch : calculator_text) AppendSpelling(static_cast<unsigned char>(ch), out);
  return out;
}

std::string FromAsciiSpelling(std::string_view ascii_text) {
  std::string out;
  out.reserve(ascii_text.size());
  for (size_t i = 0; i < ascii_text.size(); ++i) {
    unsigned char code = 0;
    const size_t length = ascii_text[i] == '\\' ? ReadSpelling(ascii_text.substr(i + 1), code) : 0;
    if (length == 0) {
      out += ascii_text[i];
      continue;
    }
    out += static_cast<char>(code);
    i += length;
  }
  return out;
}

std::string InForm(std::string_view calculator_text, CharacterForm form) {
  return form == CharacterForm::Utf8 ? ToUtf8(calculator_text) : ToAsciiSpelling(calculator_text);
}

std::string FromTyped(std::string_view typed) { return FromAsciiSpelling(FromUtf8(typed)); }

std::string MixedInForm(std::string_view text, CharacterForm form) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size();) {
    const auto c = static_cast<unsigned char>(text[i]);
    const size_t sequence = c >= 0x80 ? Utf8SequenceLength(text.substr(i)) : 0;
    if (sequence > 0) {
      out.append(text.substr(i, sequence));
      i += sequence;
    } else {
      AppendInForm(c, form, out);
      ++i;
    }
  }
  return out;
}

}  // namespace dravik::hp48
