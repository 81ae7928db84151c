#include "transio.h"

#include <array>
#include <cstring>

namespace dravik::sim {
namespace {

// Spellings of 128-159 in character order.
constexpr std::array<const char*, 32> kLow = {
    "<)", "x-", ".V", "v/", ".S", "GS", "|>", "pi", ".d", "<=", ">=", "=/", "Ga", "->", "<-",
    "|v", "|^", "Gg", "Gd", "Ge", "Gn", "Gh", "Gl", "Gr", "Gs", "Gt", "Gw", "GD", "PI", "GW",
    "[]", "oo"};

struct Named {
  unsigned char code;
  const char* spelling;
};
constexpr std::array<Named, 8> kHigh = {{{171, "<<"}, {187, ">>"}, {215, ".x"}, {216, "O/"},
                                         {223, "Gb"}, {247, ":-"}, {176, "^o"}, {181, "Gm"}}};

const char* SpellingOf(unsigned char c, int mode) {
  if (c >= 128 && c <= 159 && mode >= 2) return kLow[c - 128];
  if (c >= 160 && mode >= 3) {
    for (const Named& n : kHigh) {
      if (n.code == c) return n.spelling;
    }
  }
  return nullptr;
}

}  // namespace

std::string TranslateOut(std::string_view text, int mode) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    if (c == '\n' && mode >= 1 && (i == 0 || text[i - 1] != '\r')) {
      out += "\r\n";
      continue;
    }
    if (c < 128 || mode < 2) {
      out += static_cast<char>(c);
      continue;
    }
    if (const char* s = SpellingOf(c, mode)) {
      out += '\\';
      out += s;
    } else if (mode >= 3) {
      out += '\\' + std::to_string(c);
    } else {
      out += static_cast<char>(c);
    }
  }
  return out;
}

std::string TranslateIn(std::string_view text, int mode) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (c == '\r' && mode >= 1 && i + 1 < text.size() && text[i + 1] == '\n') continue;
    if (c != '\\' || mode < 2 || i + 1 >= text.size()) {
      out += c;
      continue;
    }
    std::string_view rest = text.substr(i + 1);
    if (rest.size() >= 3 && isdigit(static_cast<unsigned char>(rest[0])) &&
        isdigit(static_cast<unsigned char>(rest[1])) &&
        isdigit(static_cast<unsigned char>(rest[2]))) {
      int v = (rest[0] - '0') * 100 + (rest[1] - '0') * 10 + (rest[2] - '0');
      if (v < 256) {
        out += static_cast<char>(v);
        i += 3;
        continue;
      }
    }
    bool done = false;
    for (int code = 128; code < 256 && !done; ++code) {
      const char* s = SpellingOf(static_cast<unsigned char>(code), mode);
      if (s && rest.substr(0, std::strlen(s)) == s) {
        out += static_cast<char>(code);
        i += std::strlen(s);
        done = true;
      }
    }
    if (!done) out += c;
  }
  return out;
}

}  // namespace dravik::sim
