// Calculator files on the PC: the binary transfer form ("HPHP48-" or
// "HPHP49-" + a ROM letter + the object's nibbles) and the text form
// ("%%HP: T(t)A(a)F(f);" then the object as text). ReadCalculatorFile
// recognises either, walks a binary object with its family's types (and the
// HOME directory inside a backup) and says what it holds the way the
// calculator's directory listing would.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "hpfile/calculator_family.h"
#include "hpfile/object_walk.h"

namespace dravik {

inline constexpr size_t kBinaryHeaderBytes = 8;  // "HPHP48-" or "HPHP49-" and the ROM letter

enum class CalculatorFileKind { Binary, Text, NotAnObject };

// The settings a text file's header names; absent ones stay at their
// defaults (-1 and 0).
struct TextFileHeader {
  int translation = -1;    // T(0..3): the I/O translation mode it was written with
  char angle = 0;          // A(D|R|G): degrees, radians, grads
  char fraction_mark = 0;  // F(.|,): the decimal mark
};

struct CalculatorFile {
  CalculatorFileKind kind = CalculatorFileKind::NotAnObject;
  std::vector<uint8_t> bytes;  // the whole file
  std::string reason;          // NotAnObject: why not; Binary: the damage, if any
  // Binary.
  CalculatorFamily family = CalculatorFamily::Hp48;  // whose header it has
  char rom_letter = 0;
  WalkResult walk;             // the object as found in the file (tags included)
  bool backup = false;         // a backup: its name and the HOME it holds
  std::string backup_name;
  WalkResult home;
  // Text.
  TextFileHeader header;

  // The nibbles after the 8-byte header (Binary).
  NibbleView nibbles() const;
  // Binary, walked whole (a backup's HOME included).
  bool complete() const;
};

CalculatorFile ReadCalculatorFile(std::vector<uint8_t> bytes);

// What texts call a file in binary form of the family: "HP49 binary object".
std::string BinaryObjectText(CalculatorFamily family);

// One line of a file's description: the object itself (depth 0), or a
// variable of a directory or backup (depth 1 and deeper). Type, size and
// checksum are what the calculator's listing shows once the object is
// stored under that name; a note takes their place when there are none.
// The note of a binary file's own row names its family.
struct InspectRow {
  int depth = 0;
  std::string name;
  std::string type;
  std::string size;
  std::string checksum;
  std::string note;
};

// The rows for a file read under `name` (the name the calculator would
// store it under: the file's name). Entries of the hidden directory are
// left out, as the listing leaves them out; a damaged object ends with a
// row whose note says where it breaks.
std::vector<InspectRow> InspectRows(const CalculatorFile& file, std::string_view name);

}  // namespace dravik
