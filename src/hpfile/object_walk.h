// The structure walk of a calculator object held in a PC file, as the
// calculator itself walks it to find where an object ends: fixed-size
// types, types with a length field, names, tags, composites up to SEMI,
// directories entry by entry. Sizes and checksums follow from the walk by
// the calculator's own rules (see ListingSize and ObjectChecksum).
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "hpfile/calculator_family.h"

namespace dravik {

// The nibbles of a file's bytes: two to a byte, the low half first.
class NibbleView {
 public:
  explicit NibbleView(std::span<const uint8_t> bytes) : bytes_(bytes) {}
  size_t size() const { return bytes_.size() * 2; }
  unsigned at(size_t i) const { return i % 2 ? bytes_[i / 2] >> 4 : bytes_[i / 2] & 0xF; }
  // The field of `count` nibbles (at most 8) at pos, least significant
  // nibble first; false when it runs past the end.
  bool Field(size_t pos, int count, uint32_t* value) const;
  // `chars` characters of two nibbles each from pos; false past the end.
  bool Text(size_t pos, size_t chars, std::string* text) const;

 private:
  std::span<const uint8_t> bytes_;
};

inline constexpr uint32_t kPrologDirectory = 0x02A96;
inline constexpr uint32_t kPrologBackup = 0x02B62;
inline constexpr uint32_t kPrologTagged = 0x02AFC;
inline constexpr uint32_t kPrologXlib = 0x02E92;
inline constexpr uint32_t kPrologGrob = 0x02B1E;
inline constexpr uint32_t kSemi = 0x0312B;

struct WalkedEntry;

// One object found by the walk: where it starts and how many nibbles it
// takes. A directory holds its variables, a tagged object the object it
// tags; nothing else is kept of composites. A directory broken inside
// keeps the entries read before the break, the broken one last.
struct WalkedObject {
  uint32_t prolog = 0;
  size_t start = 0;   // nibble offset in the view
  size_t length = 0;  // nibbles
  bool whole = true;  // false: the walk broke inside it (length then unknown)
  std::vector<WalkedEntry> entries;  // Directory: oldest first, as far as read
  std::vector<WalkedObject> tagged;  // Tagged: the one object inside
};

struct WalkedEntry {
  std::string name;  // empty for the calculator's hidden directory
  WalkedObject object;
};

// Where and why a walk stopped.
struct WalkFault {
  size_t at = 0;      // nibble offset in the view (the end of the data when truncated)
  std::string what;   // "truncated", "unknown prolog 02F00", …
  std::string where;  // names of the directories and variable it is in, "A/B/C"
};

struct WalkResult {
  bool ok = false;
  WalkedObject object;  // when !ok, a directory keeps the entries read before the fault
  WalkFault fault;
};

// Whether a 5-nibble value is the prolog of a type the family's walk knows
// (else, inside a composite, it is a pointer into ROM).
bool IsKnownProlog(uint32_t prolog, CalculatorFamily family);

// Walks the object whose prolog starts at nibble pos, with the family's types.
WalkResult WalkObject(const NibbleView& in, size_t pos, CalculatorFamily family);

// The object a variable holds once stored: tags removed (STO and uploads
// remove every tag around an object).
const WalkedObject& Untagged(const WalkedObject& object);

// The type word the calculator's directory listing shows ("Real Number",
// "Graphic", "Directory", "Integer", …; "Backup" and "Library" for those).
std::string TypeWord(const NibbleView& in, const WalkedObject& object);

// The CRC the listing shows: the Saturn CRC over the object's nibbles.
unsigned ObjectChecksum(const NibbleView& in, const WalkedObject& object);

// The SIZE the listing shows for an object of `nibbles` stored under a name
// of `name_length` characters: (N + 9 + 2n) / 2 bytes, "x.5" for a half.
std::string ListingSize(size_t nibbles, size_t name_length);

}  // namespace dravik
