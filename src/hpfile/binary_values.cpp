#include "hpfile/binary_values.h"

#include "hpfile/calculator_family.h"
#include "hpfile/calculator_file.h"
#include "hpfile/object_walk.h"

namespace dravik {
namespace {

constexpr uint32_t kPrologLibrary = 0x02B40;
constexpr uint32_t kPrologString = 0x02A2C;
constexpr size_t kObject = kBinaryHeaderBytes * 2;  // first nibble of the object

// The prolog of the object in a binary file, 0 when it is none.
uint32_t PrologOf(const NibbleView& in, std::span<const uint8_t> file) {
  uint32_t prolog = 0;
  if (!FamilyOfBinary(file) || file.size() <= kBinaryHeaderBytes) return 0;
  return in.Field(kObject, 5, &prolog) ? prolog : 0;
}

}  // namespace

std::optional<LibraryHeader> ReadLibraryFile(std::span<const uint8_t> file) {
  const NibbleView in(file);
  if (PrologOf(in, file) != kPrologLibrary) return std::nullopt;
  // Prolog, length, then the title: its length in characters, the
  // characters and, when there are any, the length once more; then the
  // library's number in three nibbles.
  size_t pos = kObject + 10;
  uint32_t title_length = 0;
  LibraryHeader header;
  if (!in.Field(pos, 2, &title_length)) return std::nullopt;
  pos += 2;
  if (title_length > 0) {
    if (!in.Text(pos, title_length, &header.title)) return std::nullopt;
    pos += 2 * title_length + 2;
  }
  uint32_t number = 0;
  if (!in.Field(pos, 3, &number)) return std::nullopt;
  header.number = static_cast<int>(number);
  return header;
}

std::optional<std::string> ReadStringFile(std::span<const uint8_t> file) {
  const NibbleView in(file);
  if (PrologOf(in, file) != kPrologString) return std::nullopt;
  // The length field counts its own five nibbles and two per character.
  uint32_t length = 0;
  if (!in.Field(kObject + 5, 5, &length) || length < 5) return std::nullopt;
  std::string text;
  if (!in.Text(kObject + 10, (length - 5) / 2, &text)) return std::nullopt;
  return text;
}

}  // namespace dravik
