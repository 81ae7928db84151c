// The two calculator families whose files Dravik handles. The HP48 (S and G
// series) and the HP49 firmware family (49G, 49g+, 50g, 48gII) write binary
// objects with a header of their own ("HPHP48-" or "HPHP49-" and a letter)
// and refuse the other family's: the family travels with every binary file.
// Text files ("%%HP:") are read by both.
#pragma once

#include <algorithm>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace dravik {

enum class CalculatorFamily { Hp48, Hp49 };

// The first seven bytes of the family's binary files: "HPHP48-", "HPHP49-".
constexpr std::string_view BinaryHeaderOf(CalculatorFamily family) {
  return family == CalculatorFamily::Hp49 ? "HPHP49-" : "HPHP48-";
}

// What texts call a calculator of the family: "HP48", "HP49".
constexpr std::string_view FamilyName(CalculatorFamily family) {
  return family == CalculatorFamily::Hp49 ? "HP49" : "HP48";
}

// The family whose binary header a file starts with; none for a text file
// or anything else. Only the first seven bytes count: the letter after them
// is the writer's ROM revision, which the calculators do not check.
inline std::optional<CalculatorFamily> FamilyOfBinary(std::span<const uint8_t> bytes) {
  for (CalculatorFamily family : {CalculatorFamily::Hp48, CalculatorFamily::Hp49}) {
    const std::string_view header = BinaryHeaderOf(family);
    if (bytes.size() >= header.size() &&
        std::string_view(reinterpret_cast<const char*>(bytes.data()), header.size()) == header)
      return family;
  }
  return std::nullopt;
}

// Text as the calculator parses it: printable characters (its 8-bit ones
// included) and line ends. Any other control byte makes data no text.
inline bool IsCalculatorText(std::span<const uint8_t> bytes) {
  return std::all_of(bytes.begin(), bytes.end(), [](uint8_t c) {
    return c >= 0x20 || c == '\r' || c == '\n' || c == '\t';
  });
}

}  // namespace dravik
