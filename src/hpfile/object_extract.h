// Taking one variable, or a whole directory, out of a backup or a
// directory file, as a calculator file in binary form: the object's own
// nibbles, so that sending the file gives the calculator the very object
// the backup holds.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "hpfile/calculator_file.h"

namespace dravik {

struct ExtractedObject {
  bool ok = false;
  std::string name;            // the variable's name (the file's name to use)
  std::vector<uint8_t> file;   // the source's header (family, ROM letter) + the object
  std::string error;           // when !ok
};

// `path` names a variable from the top of the source: "GAMES/CHESS" (a
// leading "HOME/" is allowed) in a backup's HOME or in the directory a
// file holds. "HOME" (or an empty path) in a backup gives HOME itself as a
// directory, without the calculator's hidden directory. Only what the walk
// read whole can be taken; the source must be a binary file.
ExtractedObject ExtractObject(const CalculatorFile& source, std::string_view path);

// The nibbles of a directory rebuilt from its entries (the hidden one left
// out when asked): links and the offset to the newest name recomputed,
// every object copied as it is.
std::vector<uint8_t> RebuildDirectory(const NibbleView& in, const WalkedObject& dir,
                                      bool without_hidden);

// Packs nibbles two to a byte, low half first, behind the family's header
// ("HPHP48-", "HPHP49-") + letter; an odd count gets a 0 pad nibble.
std::vector<uint8_t> PackObjectFile(CalculatorFamily family, char rom_letter,
                                    const std::vector<uint8_t>& nibbles);

}  // namespace dravik
