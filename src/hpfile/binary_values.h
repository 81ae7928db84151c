// Values read out of a calculator object held in a PC file in binary
// transfer form ("HPHP48-" or "HPHP49-", the ROM letter, the object's
// nibbles): the number and title of a library, the text of a string.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace dravik {

// What names a library: its number (the calculator stores it in a port
// under that number, and ATTACH takes it) and its title.
struct LibraryHeader {
  int number = 0;
  std::string title;  // the calculator's own characters; empty when it has none
};

// The header of a library file; none when the bytes hold no library in
// binary form, or the library is cut short before its number.
std::optional<LibraryHeader> ReadLibraryFile(std::span<const uint8_t> file);

// The text of a string object in binary form; none for anything else.
std::optional<std::string> ReadStringFile(std::span<const uint8_t> file);

}  // namespace dravik
