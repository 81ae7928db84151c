#include "library_object.h"

namespace dravik::sim {
namespace {

constexpr uint32_t kPrologTable = 0x02A4E;  // hash and link tables

// Offsets of the fields after the title: number, then the hash, message,
// link and config offsets, each counted from the field itself.
struct Layout {
  size_t number_at = 0;
  size_t hash = 0, link = 0, config = 0;  // 0: none
};

bool ReadLayout(const Object& obj, Layout* out, std::string* title) {
  if (obj.kind != Kind::Raw) return false;
  const Nibbles& n = obj.data;
  uint32_t prolog = 0, length = 0, title_length = 0;
  if (!GetField(n, 0, 5, &prolog) || prolog != kPrologLibrary || !GetField(n, 5, 5, &length) ||
      5 + static_cast<size_t>(length) > n.size() || !GetField(n, 10, 2, &title_length) ||
      !GetByteText(n, 12, title_length, title)) {
    return false;
  }
  out->number_at = 12 + 2 * title_length + 2;
  size_t field = out->number_at + 3;
  for (size_t* offset : {&out->hash, static_cast<size_t*>(nullptr), &out->link, &out->config}) {
    uint32_t v = 0;
    if (!GetField(n, field, 5, &v)) return false;
    if (offset) *offset = v ? field + v : 0;
    field += 5;
  }
  return true;
}

// A table's entries start after its prolog and length; false when it is
// not a table or runs past the object.
bool TableBounds(const Nibbles& n, size_t at, size_t* begin, size_t* end) {
  uint32_t prolog = 0, length = 0;
  if (!GetField(n, at, 5, &prolog) || prolog != kPrologTable || !GetField(n, at + 5, 5, &length) ||
      length < 5 || at + 5 + length > n.size()) {
    return false;
  }
  *begin = at + 10;
  *end = at + 5 + length;
  return true;
}

// The hash table: 16 offsets (one per name length), then the names, each
// as length, characters and command number, after the names' own length.
bool ReadNames(const Nibbles& n, size_t at, std::vector<LibraryCommand>* out) {
  size_t begin = 0, end = 0;
  if (!TableBounds(n, at, &begin, &end)) return false;
  const size_t names_at = begin + 16 * 5;
  uint32_t names_length = 0;
  if (!GetField(n, names_at, 5, &names_length) || names_at + names_length > end) return false;
  for (size_t p = names_at + 5; p < names_at + names_length;) {
    uint32_t length = 0, number = 0;
    LibraryCommand c;
    if (!GetField(n, p, 2, &length) || !GetByteText(n, p + 2, length, &c.name) ||
        !GetField(n, p + 2 + 2 * length, 3, &number)) {
      return false;
    }
    c.number = number;
    out->push_back(std::move(c));
    p += 2 + 2 * length + 3;
  }
  return true;
}

}  // namespace

std::optional<LibraryInfo> ReadLibrary(const Object& obj) {
  Layout layout;
  LibraryInfo info;
  if (!ReadLayout(obj, &layout, &info.title)) return std::nullopt;
  if (!GetField(obj.data, layout.number_at, 3, &info.number)) return std::nullopt;
  info.has_config = layout.config != 0;
  if (layout.hash && !ReadNames(obj.data, layout.hash, &info.commands)) return std::nullopt;
  return info;
}

std::optional<uint32_t> LibraryNumber(const Object& obj) {
  Layout layout;
  std::string title;
  uint32_t number = 0;
  if (!ReadLayout(obj, &layout, &title) || !GetField(obj.data, layout.number_at, 3, &number)) {
    return std::nullopt;
  }
  return number;
}

Obj LibraryCommandObject(const Object& library, uint32_t command) {
  Layout layout;
  std::string title;
  size_t begin = 0, end = 0;
  if (!ReadLayout(library, &layout, &title) || !layout.link ||
      !TableBounds(library.data, layout.link, &begin, &end)) {
    return nullptr;
  }
  const size_t entry = begin + 5 * static_cast<size_t>(command);
  uint32_t offset = 0;
  if (entry + 5 > end || !GetField(library.data, entry, 5, &offset) || offset == 0) return nullptr;
  size_t pos = entry + offset;
  if (pos >= library.data.size()) return nullptr;
  return Decode(library.data, pos);
}

}  // namespace dravik::sim
