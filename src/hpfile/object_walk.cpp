#include "hpfile/object_walk.h"

#include <cstdio>

#include "link/block_check.h"

namespace dravik {

namespace {

constexpr uint32_t kPrologSystemBinary = 0x02911;
constexpr uint32_t kPrologReal = 0x02933;
constexpr uint32_t kPrologLongReal = 0x02955;
constexpr uint32_t kPrologComplex = 0x02977;
constexpr uint32_t kPrologLongComplex = 0x0299D;
constexpr uint32_t kPrologCharacter = 0x029BF;
constexpr uint32_t kPrologArray = 0x029E8;
constexpr uint32_t kPrologLinkedArray = 0x02A0A;
constexpr uint32_t kPrologString = 0x02A2C;
constexpr uint32_t kPrologBinaryInteger = 0x02A4E;
constexpr uint32_t kPrologList = 0x02A74;
constexpr uint32_t kPrologAlgebraic = 0x02AB8;
constexpr uint32_t kPrologUnit = 0x02ADA;
constexpr uint32_t kPrologLibrary = 0x02B40;
constexpr uint32_t kPrologLibraryData = 0x02B88;
constexpr uint32_t kPrologProgram = 0x02D9D;
constexpr uint32_t kPrologCode = 0x02DCC;
constexpr uint32_t kPrologGlobalName = 0x02E48;
constexpr uint32_t kPrologLocalName = 0x02E6D;
// The HP49 family's own types.
constexpr uint32_t kPrologInteger = 0x02614;
constexpr uint32_t kPrologSymbolicMatrix = 0x02686;
constexpr uint32_t kPrologFlashPointer = 0x026AC;
constexpr uint32_t kPrologFont = 0x026FE;

// Deeper nesting than this is taken for damage rather than followed.
constexpr int kMaxDepth = 200;

// Body nibbles after the prolog of the fixed-size types; -1 for others.
int FixedBody(uint32_t prolog, CalculatorFamily family) {
  if (family == CalculatorFamily::Hp49 && prolog == kPrologFlashPointer) return 7;  // bank, command
  switch (prolog) {
    case kPrologSystemBinary: return 5;
    case kPrologReal: return 16;
    case kPrologLongReal: return 21;
    case kPrologComplex: return 32;
    case kPrologLongComplex: return 42;
    case kPrologCharacter: return 2;
    case kPrologXlib: return 6;
    default: return -1;
  }
}

// Types whose 5-nibble length field (counting itself) follows the prolog.
bool HasLengthField(uint32_t prolog, CalculatorFamily family) {
  // An exact integer's field counts its decimal digits and sign nibble.
  if (family == CalculatorFamily::Hp49 && (prolog == kPrologInteger || prolog == kPrologFont))
    return true;
  switch (prolog) {
    case kPrologArray: case kPrologLinkedArray: case kPrologString: case kPrologBinaryInteger:
    case kPrologGrob: case kPrologLibrary: case kPrologBackup: case kPrologLibraryData:
    case kPrologCode: case 0x02BAA: case 0x02BCC: case 0x02BEE: case 0x02C10:
      return true;
    default:
      return false;
  }
}

bool IsComposite(uint32_t prolog, CalculatorFamily family) {
  // A symbolic matrix holds its elements up to SEMI, as a list does.
  if (family == CalculatorFamily::Hp49 && prolog == kPrologSymbolicMatrix) return true;
  return prolog == kPrologList || prolog == kPrologAlgebraic || prolog == kPrologUnit ||
         prolog == kPrologProgram;
}

}  // namespace

bool IsKnownProlog(uint32_t prolog, CalculatorFamily family) {
  return FixedBody(prolog, family) >= 0 || HasLengthField(prolog, family) ||
         IsComposite(prolog, family) || prolog == kPrologGlobalName ||
         prolog == kPrologLocalName || prolog == kPrologTagged || prolog == kPrologDirectory;
}

namespace {

std::string Hex5(uint32_t value) {
  char text[8];
  std::snprintf(text, sizeof text, "%05X", value & 0xFFFFF);
  return text;
}

class Walker {
 public:
  Walker(const NibbleView& in, CalculatorFamily family) : in_(in), family_(family) {}

  // Walks the object at pos into *out.
  bool Object(size_t pos, WalkedObject* out, int depth) {
    out->start = pos;
    out->whole = false;
    if (depth > kMaxDepth) return Fail(pos, "nested too deeply");
    uint32_t prolog = 0;
    if (!in_.Field(pos, 5, &prolog)) return Truncated();
    out->prolog = prolog;
    size_t end = 0;
    if (!Body(pos, prolog, out, depth, &end)) return false;
    out->length = end - pos;
    out->whole = true;
    return true;
  }

  const WalkFault& fault() const { return fault_; }

 private:
  bool Fail(size_t at, std::string what) {
    if (fault_.what.empty()) {
      fault_.at = at;
      fault_.what = std::move(what);
      for (const std::string& name : path_) fault_.where += (fault_.where.empty() ? "" : "/") + name;
    }
    return false;
  }

  // A cut object breaks where the data ends.
  bool Truncated() { return Fail(in_.size(), "truncated"); }
  bool Within(size_t end) { return end <= in_.size() || Truncated(); }

  bool Body(size_t pos, uint32_t prolog, WalkedObject* out, int depth, size_t* end) {
    if (const int fixed = FixedBody(prolog, family_); fixed >= 0) {
      *end = pos + 5 + static_cast<size_t>(fixed);
      return Within(*end);
    }
    if (HasLengthField(prolog, family_)) {
      uint32_t length = 0;
      if (!in_.Field(pos + 5, 5, &length)) return Truncated();
      if (length < 5) return Fail(pos + 5, "length field below its own size");
      *end = pos + 5 + length;
      return Within(*end);
    }
    if (prolog == kPrologGlobalName || prolog == kPrologLocalName) return Name(pos + 5, end);
    if (prolog == kPrologTagged) {
      size_t inner = 0;
      if (!Name(pos + 5, &inner)) return false;
      out->tagged.emplace_back();
      if (!Object(inner, &out->tagged.back(), depth + 1)) return false;
      *end = inner + out->tagged.back().length;
      return true;
    }
    if (IsComposite(prolog, family_)) return Composite(pos + 5, depth, end);
    if (prolog == kPrologDirectory) return Directory(pos, out, depth, end);
    return Fail(pos, "unknown prolog " + Hex5(prolog));
  }

  // A name: 2-nibble length, then two nibbles a character.
  bool Name(size_t pos, size_t* end, std::string* text = nullptr) {
    uint32_t length = 0;
    if (!in_.Field(pos, 2, &length)) return Truncated();
    std::string name;
    if (!in_.Text(pos + 2, length, &name)) return Truncated();
    if (text) *text = std::move(name);
    *end = pos + 2 + 2 * length;
    return true;
  }

  // Elements up to SEMI; an element is an object or a 5-nibble pointer.
  bool Composite(size_t pos, int depth, size_t* end) {
    for (;;) {
      uint32_t element = 0;
      if (!in_.Field(pos, 5, &element)) return Truncated();
      if (element == kSemi) {
        *end = pos + 5;
        return true;
      }
      if (!IsKnownProlog(element, family_)) {
        pos += 5;
        continue;
      }
      WalkedObject inner;
      if (!Object(pos, &inner, depth + 1)) return false;
      pos += inner.length;
    }
  }

  // Prolog, 3 nibbles of attached library, 5 nibbles from that field to the
  // newest entry's name (0: empty); then the entries, oldest first: a
  // 5-nibble link, the name (length, characters, length again; the hidden
  // directory's empty name has no second length) and the object.
  bool Directory(size_t start, WalkedObject* out, int depth, size_t* end) {
    uint32_t offset = 0;
    if (!in_.Field(start + 8, 5, &offset)) return Truncated();
    size_t pos = start + 13;
    if (offset == 0) {
      *end = pos;
      return true;
    }
    const size_t newest = start + 8 + offset;
    for (;;) {
      const size_t name_at = pos + 5;
      if (name_at > newest) return Fail(pos, "directory entries do not meet its newest name");
      std::string name;
      size_t after = 0;
      if (!Name(name_at, &after, &name)) return false;
      if (!name.empty()) {
        uint32_t again = 0;
        if (!in_.Field(after, 2, &again)) return Truncated();
        if (again != name.size()) return Fail(after, "name lengths differ");
        after += 2;
      }
      out->entries.push_back({name, {}});
      path_.push_back(name.empty() ? "(hidden directory)" : name);
      const bool walked = Object(after, &out->entries.back().object, depth + 1);
      path_.pop_back();
      if (!walked) return false;
      pos = after + out->entries.back().object.length;
      if (name_at == newest) break;
    }
    *end = pos;
    return true;
  }

  const NibbleView& in_;
  const CalculatorFamily family_;
  WalkFault fault_;
  std::vector<std::string> path_;
};

}  // namespace

bool NibbleView::Field(size_t pos, int count, uint32_t* value) const {
  if (pos > size() || size() - pos < static_cast<size_t>(count)) return false;
  uint32_t v = 0;
  for (int i = count - 1; i >= 0; --i) v = v << 4 | at(pos + static_cast<size_t>(i));
  *value = v;
  return true;
}

bool NibbleView::Text(size_t pos, size_t chars, std::string* text) const {
  if (pos > size() || (size() - pos) / 2 < chars) return false;
  text->clear();
  for (size_t i = 0; i < chars; ++i)
    text->push_back(static_cast<char>(at(pos + 2 * i) | at(pos + 2 * i + 1) << 4));
  return true;
}

WalkResult WalkObject(const NibbleView& in, size_t pos, CalculatorFamily family) {
  Walker walker(in, family);
  WalkResult result;
  result.ok = walker.Object(pos, &result.object, 0);
  result.fault = walker.fault();
  return result;
}

const WalkedObject& Untagged(const WalkedObject& object) {
  const WalkedObject* o = &object;
  while (o->prolog == kPrologTagged && !o->tagged.empty()) o = &o->tagged.front();
  return *o;
}

std::string TypeWord(const NibbleView& in, const WalkedObject& object) {
  // Cut before its prolog was whole: nothing tells what it was.
  if (!object.whole && object.prolog == 0) return "Unknown";
  switch (object.prolog) {
    case kPrologSystemBinary: return "System Binary";
    case kPrologReal: return "Real Number";
    case kPrologLongReal: return "Long Real";
    case kPrologComplex: return "Complex Number";
    case kPrologLongComplex: return "Long Complex";
    case kPrologCharacter: return "Character";
    case kPrologArray: {
      uint32_t element = 0;
      in.Field(object.start + 10, 5, &element);
      if (element == kPrologReal) return "Real Array";
      if (element == kPrologComplex) return "Complex Array";
      return "Array";
    }
    case kPrologLinkedArray: return "Linked Array";
    case kPrologString: return "String";
    case kPrologBinaryInteger: return "Binary Integer";
    case kPrologList: return "List";
    case kPrologDirectory: return "Directory";
    case kPrologAlgebraic: return "Algebraic";
    case kPrologUnit: return "Unit";
    case kPrologTagged: return "Tagged";
    case kPrologGrob: return "Graphic";
    case kPrologLibrary: return "Library";
    case kPrologBackup: return "Backup";
    case kPrologLibraryData: return "Library Data";
    case kPrologProgram: return "Program";
    case kPrologCode: return "Code";
    case kPrologGlobalName: return "Global Name";
    case kPrologLocalName: return "Local Name";
    case kPrologXlib: return "XLIB Name";
    case kPrologInteger: return "Integer";
    case kPrologSymbolicMatrix: return "Symbolic Matrix";
    case kPrologFlashPointer: return "Flash Pointer";
    case kPrologFont: return "Font";
    default: return "Extended Object";
  }
}

unsigned ObjectChecksum(const NibbleView& in, const WalkedObject& object) {
  unsigned crc = 0;
  for (size_t i = 0; i < object.length; ++i) crc = CrcNibble(crc, in.at(object.start + i));
  return crc & 0xFFFF;
}

std::string ListingSize(size_t nibbles, size_t name_length) {
  const size_t twice = nibbles + 9 + 2 * name_length;
  return std::to_string(twice / 2) + (twice % 2 ? ".5" : "");
}

}  // namespace dravik
