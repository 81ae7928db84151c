// Fuzzes the reading of the calculator's directory listing. Whatever the
// text, the three lists stay parallel, directories come first, and no field
// holds a blank.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "listing/listing_parser.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const dravik::ParsedListing p = dravik::ParseListing(text);
  if (p.Names.size() != p.Sizes.size() || p.Names.size() != p.Types.size()) __builtin_trap();
  bool objects = false;
  for (size_t i = 0; i < p.Types.size(); ++i) {
    const bool dir = dravik::IsDirectoryType(p.Types[i]);
    if (dir && objects) __builtin_trap();
    objects = objects || !dir;
    if (p.Names[i].find(' ') != std::string::npos || p.Types[i].find(' ') != std::string::npos)
      __builtin_trap();
  }
  if (p.Names.size() > size) __builtin_trap();
  return 0;
}
