#include "hp_object.h"

#include "rom_table.h"

namespace dravik::sim {

const Object& Object::Untagged() const {
  const Object* o = this;
  while (o->kind == Kind::Tagged && !o->items.empty()) o = o->items[0].get();
  return *o;
}

Obj MakeReal(const HpReal& r) {
  auto o = std::make_shared<Object>();
  o->kind = Kind::Real;
  o->re = r;
  return o;
}
Obj MakeReal(long long v) { return MakeReal(RealFromInt(v)); }

Obj MakeComplex(const HpReal& re, const HpReal& im) {
  auto o = std::make_shared<Object>();
  o->kind = Kind::Complex;
  o->re = re;
  o->im = im;
  return o;
}

Obj MakeString(std::string s) {
  auto o = std::make_shared<Object>();
  o->kind = Kind::String;
  o->text = std::move(s);
  return o;
}

Obj MakeName(std::string name, bool local) {
  auto o = std::make_shared<Object>();
  o->kind = local ? Kind::LocalName : Kind::GlobalName;
  o->text = std::move(name);
  return o;
}

Obj MakeCommand(const std::string& name, SimModel model) {
  const RomCommand* c = FindCommand(name, model);
  if (!c) return nullptr;
  auto o = std::make_shared<Object>();
  o->kind = Kind::Command;
  o->text = name;
  o->rom = c->address;
  if (c->address == 0) {  // a library command: its XLIB name
    PutField(o->data, c->library, 3);
    PutField(o->data, c->number, 3);
  }
  return o;
}

Obj MakeLibraryCommand(const std::string& name, uint32_t library, uint32_t number) {
  auto o = std::make_shared<Object>();
  o->kind = Kind::Command;
  o->text = name;
  PutField(o->data, library, 3);
  PutField(o->data, number, 3);
  return o;
}

Obj MakeInteger(std::string digits) {
  auto o = std::make_shared<Object>();
  o->kind = Kind::Integer;
  o->text = digits == "-0" ? "0" : std::move(digits);
  return o;
}
Obj MakeInteger(long long value) { return MakeInteger(std::to_string(value)); }

Obj MakeComposite(Kind kind, std::vector<Obj> items) {
  auto o = std::make_shared<Object>();
  o->kind = kind;
  o->items = std::move(items);
  return o;
}

Obj MakeTagged(std::string tag, Obj obj) {
  auto o = std::make_shared<Object>();
  o->kind = Kind::Tagged;
  o->text = std::move(tag);
  o->items.push_back(std::move(obj));
  return o;
}

Obj MakeBinInt(uint64_t value) {
  auto o = std::make_shared<Object>();
  o->kind = Kind::BinInt;
  for (int i = 0; i < 16; ++i) o->data.push_back((value >> (4 * i)) & 0xF);
  return o;
}

Obj MakeGrob(uint32_t width, uint32_t height) {
  auto o = std::make_shared<Object>();
  o->kind = Kind::Grob;
  o->width = width;
  o->height = height;
  o->data.assign(static_cast<size_t>((width + 7) / 8) * 2 * height, 0);
  return o;
}

Obj MakeDirectory() {
  auto o = std::make_shared<Object>();
  o->kind = Kind::Directory;
  return o;
}

Obj MakeRaw(Nibbles nibbles) {
  auto o = std::make_shared<Object>();
  o->kind = Kind::Raw;
  o->data = std::move(nibbles);
  return o;
}

Obj Clone(const Obj& obj) {
  auto o = std::make_shared<Object>(*obj);
  for (auto& it : o->items) it = Clone(it);
  for (auto& e : o->entries) e.obj = Clone(e.obj);
  return o;
}

Obj StripTags(const Obj& obj) {
  Obj o = obj;
  while (o->kind == Kind::Tagged && !o->items.empty()) o = o->items[0];
  return o;
}

namespace {

void EncodeReal(const HpReal& r, Nibbles& out) {
  int e = r.exp < 0 ? 1000 + r.exp : r.exp;
  PutField(out, e % 10, 1);
  PutField(out, (e / 10) % 10, 1);
  PutField(out, e / 100, 1);
  uint64_t m = r.mant;
  for (int i = 0; i < 12; ++i) {
    out.push_back(static_cast<uint8_t>(m % 10));
    m /= 10;
  }
  out.push_back(r.neg ? 9 : 0);
}

bool DecodeReal(const Nibbles& in, size_t pos, HpReal* r) {
  if (in.size() < pos + 16) return false;
  for (size_t i = pos; i < pos + 15; ++i) {
    if (in[i] > 9) return false;
  }
  int e = in[pos] + 10 * in[pos + 1] + 100 * in[pos + 2];
  r->exp = e >= 500 ? e - 1000 : e;
  r->mant = 0;
  for (int i = 11; i >= 0; --i) r->mant = r->mant * 10 + in[pos + 3 + i];
  r->neg = in[pos + 15] >= 5;
  if (r->mant == 0) *r = HpReal{};
  return true;
}

void PutName(Nibbles& out, const std::string& name) {
  PutField(out, static_cast<uint32_t>(name.size()), 2);
  PutByteText(out, name);
}

void EncodeDirectory(const Object& dir, Nibbles& out) {
  const size_t start = out.size();
  PutField(out, kPrologDirectory, 5);
  PutField(out, dir.library, 3);
  const size_t offset_field = out.size();
  PutField(out, 0, 5);
  size_t prev_name = 0;
  for (size_t i = 0; i < dir.entries.size(); ++i) {
    const DirEntry& e = dir.entries[i];
    const size_t link = out.size();
    PutField(out, i == 0 ? 0 : static_cast<uint32_t>(link - prev_name), 5);
    prev_name = out.size();
    PutName(out, e.name);
    if (!e.name.empty()) PutField(out, static_cast<uint32_t>(e.name.size()), 2);
    Encode(*e.obj, out);
  }
  if (!dir.entries.empty()) {
    uint32_t off = static_cast<uint32_t>(prev_name - offset_field);
    for (int k = 0; k < 5; ++k) out[offset_field + k] = (off >> (4 * k)) & 0xF;
  }
  (void)start;
}

// Integer: length (counting itself), the decimal digits least significant
// first, then the sign (9 when negative).
void EncodeInteger(const Object& obj, Nibbles& out) {
  const bool negative = !obj.text.empty() && obj.text[0] == '-';
  const std::string digits = negative ? obj.text.substr(1) : obj.text;
  PutField(out, kPrologInteger, 5);
  PutField(out, static_cast<uint32_t>(5 + digits.size() + 1), 5);
  for (size_t i = digits.size(); i-- > 0;) out.push_back(static_cast<uint8_t>(digits[i] - '0'));
  out.push_back(negative ? 9 : 0);
}

}  // namespace

void Encode(const Object& obj, Nibbles& out, bool as_element) {
  if (as_element && obj.rom) {
    PutField(out, obj.rom, 5);
    return;
  }
  if (as_element && obj.embedded) {
    PutField(out, obj.brackets.open, 5);
    for (const Obj& it : obj.items) Encode(*it, out, true);
    PutField(out, obj.brackets.close, 5);
    return;
  }
  switch (obj.kind) {
    case Kind::Real:
      PutField(out, kPrologReal, 5);
      EncodeReal(obj.re, out);
      break;
    case Kind::Complex:
      PutField(out, kPrologComplex, 5);
      EncodeReal(obj.re, out);
      EncodeReal(obj.im, out);
      break;
    case Kind::String:
      PutField(out, kPrologString, 5);
      PutField(out, static_cast<uint32_t>(5 + 2 * obj.text.size()), 5);
      PutByteText(out, obj.text);
      break;
    case Kind::List:
    case Kind::Program:
    case Kind::Algebraic:
    case Kind::Unit:
    case Kind::SymbolicMatrix: {
      uint32_t prolog = obj.kind == Kind::List        ? kPrologList
                        : obj.kind == Kind::Program   ? kPrologProgram
                        : obj.kind == Kind::Algebraic ? kPrologAlgebraic
                        : obj.kind == Kind::Unit      ? kPrologUnit
                                                      : kPrologSymbolicMatrix;
      PutField(out, prolog, 5);
      bool wrap = obj.kind == Kind::Program && obj.delimited;
      if (wrap) PutField(out, obj.brackets.open, 5);
      for (const Obj& it : obj.items) Encode(*it, out, true);
      if (wrap) PutField(out, obj.brackets.close, 5);
      PutField(out, kSemi, 5);
      break;
    }
    case Kind::Integer:
      EncodeInteger(obj, out);
      break;
    case Kind::BinInt:
      PutField(out, kPrologBinInt, 5);
      PutField(out, static_cast<uint32_t>(5 + obj.data.size()), 5);
      out.insert(out.end(), obj.data.begin(), obj.data.end());
      break;
    case Kind::Grob:
      PutField(out, kPrologGrob, 5);
      PutField(out, static_cast<uint32_t>(15 + obj.data.size()), 5);
      PutField(out, obj.height, 5);
      PutField(out, obj.width, 5);
      out.insert(out.end(), obj.data.begin(), obj.data.end());
      break;
    case Kind::GlobalName:
    case Kind::LocalName:
      PutField(out, obj.kind == Kind::GlobalName ? kPrologGlobal : kPrologLocal, 5);
      PutName(out, obj.text);
      break;
    case Kind::Tagged:
      PutField(out, kPrologTagged, 5);
      PutName(out, obj.text);
      if (!obj.items.empty()) Encode(*obj.items[0], out);
      break;
    case Kind::Directory:
      EncodeDirectory(obj, out);
      break;
    case Kind::Command:
    case Kind::RomPtr:
      if (obj.rom) {
        PutField(out, obj.rom, 5);
      } else {  // a library command
        PutField(out, kPrologXlib, 5);
        out.insert(out.end(), obj.data.begin(), obj.data.end());
      }
      break;
    case Kind::Raw:
      out.insert(out.end(), obj.data.begin(), obj.data.end());
      break;
  }
}

Nibbles Encode(const Object& obj) {
  Nibbles out;
  Encode(obj, out);
  return out;
}

namespace {

constexpr uint32_t kLengthTypes[] = {0x029E8, 0x02A0A, kPrologString, kPrologBinInt,
                                     kPrologGrob, kPrologLibrary, kPrologBackup, 0x02B88,
                                     kPrologCode, 0x02BAA, 0x02BCC, 0x02BEE, 0x02C10};

bool IsLengthType(uint32_t p) {
  for (uint32_t t : kLengthTypes) {
    if (t == p) return true;
  }
  return false;
}

int FixedBody(uint32_t p) {
  switch (p) {
    case kPrologSysBin: return 5;
    case 0x02955: return 21;
    case 0x0299D: return 42;
    case 0x029BF: return 2;
    case 0x02E92: return 6;
    default: return -1;
  }
}

bool IsProlog(uint32_t p) {
  switch (p) {
    case kPrologReal: case kPrologComplex: case kPrologList: case kPrologProgram:
    case kPrologAlgebraic: case kPrologUnit: case kPrologGlobal: case kPrologLocal:
    case kPrologTagged: case kPrologDirectory: case kPrologInteger:
    case kPrologSymbolicMatrix:
      return true;
    default:
      return IsLengthType(p) || FixedBody(p) >= 0;
  }
}

Obj Element(uint32_t address) {
  HpReal r;
  long long integer = 0;
  Obj constant;
  if (RomReal(address, &r)) {
    constant = MakeReal(r);
  } else if (RomInteger(address, &integer)) {
    constant = MakeInteger(integer);
  } else if (std::string n = RomName(address); !n.empty()) {
    constant = MakeName(n);
  }
  if (constant) {
    constant->rom = address;
    return constant;
  }
  std::string name = CommandName(address);
  auto o = std::make_shared<Object>();
  o->kind = name.empty() ? Kind::RomPtr : Kind::Command;
  o->text = name;
  o->rom = address;
  return o;
}

Obj DecodeAt(const Nibbles& in, size_t& pos, int depth);

// A 49 holds the program after → names in place, « … » closed by its own
// end of the local names: gathers such a run of elements into one embedded
// program, innermost first.
std::vector<Obj> FoldEmbeddedBodies(std::vector<Obj> items) {
  std::vector<size_t> opens;
  for (size_t i = 0; i < items.size(); ++i) {
    if (items[i]->kind == Kind::Command && IsProgramOpen(items[i]->rom)) {
      opens.push_back(i);
    } else if (items[i]->kind == Kind::RomPtr && IsLocalBodyClose(items[i]->rom) && !opens.empty()) {
      const size_t open = opens.back();
      opens.pop_back();
      Obj body = MakeComposite(Kind::Program, std::vector<Obj>(items.begin() + static_cast<long>(open) + 1,
                                                                items.begin() + static_cast<long>(i)));
      body->embedded = true;
      body->brackets = {items[open]->rom, items[i]->rom};
      items.erase(items.begin() + static_cast<long>(open) + 1, items.begin() + static_cast<long>(i) + 1);
      items[open] = body;
      i = open;
    }
  }
  return items;
}

Obj DecodeInteger(const Nibbles& in, size_t& pos) {
  uint32_t len = 0;
  if (!GetField(in, pos + 5, 5, &len) || len < 7 || in.size() - pos < 5 + len) return nullptr;
  std::string digits;
  for (size_t i = pos + 5 + len - 2; i >= pos + 10; --i) {
    if (in[i] > 9) return nullptr;
    digits += static_cast<char>('0' + in[i]);
  }
  const size_t first = digits.find_first_not_of('0');
  digits = first == std::string::npos ? "0" : digits.substr(first);
  const bool negative = in[pos + 5 + len - 1] != 0;
  pos += 5 + len;
  return MakeInteger(negative ? "-" + digits : digits);
}

bool DecodeName(const Nibbles& in, size_t& pos, std::string* name) {
  uint32_t len = 0;
  if (!GetField(in, pos, 2, &len) || !GetByteText(in, pos + 2, len, name)) return false;
  pos += 2 + 2 * len;
  return true;
}

Obj DecodeDirectory(const Nibbles& in, size_t& pos, int depth) {
  const size_t start = pos;
  uint32_t lib = 0, off = 0;
  if (!GetField(in, start + 5, 3, &lib) || !GetField(in, start + 8, 5, &off)) return nullptr;
  Obj dir = MakeDirectory();
  dir->library = lib;
  pos = start + 13;
  if (off == 0) return dir;
  const size_t newest = start + 8 + off;
  for (;;) {
    uint32_t link = 0;
    if (!GetField(in, pos, 5, &link)) return nullptr;
    pos += 5;
    const size_t name_pos = pos;
    if (name_pos > newest) return nullptr;
    std::string name;
    if (!DecodeName(in, pos, &name)) return nullptr;
    if (!name.empty()) {
      uint32_t again = 0;
      if (!GetField(in, pos, 2, &again) || again != name.size()) return nullptr;
      pos += 2;
    }
    Obj obj = DecodeAt(in, pos, depth + 1);
    if (!obj) return nullptr;
    dir->entries.push_back({name, obj});
    if (name_pos == newest) break;
  }
  return dir;
}

Obj DecodeAt(const Nibbles& in, size_t& pos, int depth) {
  if (depth > 200) return nullptr;
  const size_t start = pos;
  uint32_t prolog = 0;
  if (!GetField(in, pos, 5, &prolog)) return nullptr;
  switch (prolog) {
    case kPrologReal: {
      HpReal r;
      if (!DecodeReal(in, pos + 5, &r)) return nullptr;
      pos += 21;
      return MakeReal(r);
    }
    case kPrologComplex: {
      HpReal a, b;
      if (!DecodeReal(in, pos + 5, &a) || !DecodeReal(in, pos + 21, &b)) return nullptr;
      pos += 37;
      return MakeComplex(a, b);
    }
    case kPrologGlobal:
    case kPrologLocal: {
      pos += 5;
      std::string name;
      if (!DecodeName(in, pos, &name)) return nullptr;
      return MakeName(name, prolog == kPrologLocal);
    }
    case kPrologTagged: {
      pos += 5;
      std::string tag;
      if (!DecodeName(in, pos, &tag)) return nullptr;
      Obj inner = DecodeAt(in, pos, depth + 1);
      if (!inner) return nullptr;
      return MakeTagged(tag, inner);
    }
    case kPrologDirectory:
      return DecodeDirectory(in, pos, depth);
    case kPrologInteger:
      return DecodeInteger(in, pos);
    case kPrologXlib: {
      uint32_t library = 0, number = 0;
      if (!GetField(in, pos + 5, 3, &library) || !GetField(in, pos + 8, 3, &number)) return nullptr;
      const std::string name = LibraryCommandName(library, number);
      if (name.empty()) {  // a library in a port: named as the calculator shows it unattached
        pos += 11;
        return MakeLibraryCommand("XLIB " + std::to_string(library) + " " + std::to_string(number),
                                  library, number);
      }
      auto o = std::make_shared<Object>();
      o->kind = Kind::Command;
      o->text = name;
      o->data.assign(in.begin() + pos + 5, in.begin() + pos + 11);
      pos += 11;
      return o;
    }
    case kPrologList:
    case kPrologProgram:
    case kPrologAlgebraic:
    case kPrologUnit:
    case kPrologSymbolicMatrix: {
      Kind k = prolog == kPrologList        ? Kind::List
               : prolog == kPrologProgram   ? Kind::Program
               : prolog == kPrologAlgebraic ? Kind::Algebraic
               : prolog == kPrologUnit      ? Kind::Unit
                                            : Kind::SymbolicMatrix;
      std::vector<Obj> items;
      pos += 5;
      for (;;) {
        uint32_t a = 0;
        if (!GetField(in, pos, 5, &a)) return nullptr;
        if (a == kSemi) {
          pos += 5;
          break;
        }
        if (IsProlog(a)) {
          Obj el = DecodeAt(in, pos, depth + 1);
          if (!el) return nullptr;
          items.push_back(el);
        } else {
          items.push_back(Element(a));
          pos += 5;
        }
      }
      Obj o = MakeComposite(k, {});
      if (k == Kind::Program) {
        o->delimited = items.size() >= 2 && IsProgramOpen(items.front()->rom) &&
                       BracketsOpenedBy(items.front()->rom).close == items.back()->rom;
        if (o->delimited) {
          o->brackets = BracketsOpenedBy(items.front()->rom);
          items.pop_back();
          items.erase(items.begin());
        }
        items = FoldEmbeddedBodies(std::move(items));
      }
      o->items = std::move(items);
      return o;
    }
    case kPrologString: {
      uint32_t len = 0;
      std::string s;
      if (!GetField(in, pos + 5, 5, &len) || len < 5 || (len - 5) % 2 ||
          !GetByteText(in, pos + 10, (len - 5) / 2, &s)) {
        return nullptr;
      }
      pos += 5 + len;
      return MakeString(s);
    }
    case kPrologBinInt: {
      uint32_t len = 0;
      if (!GetField(in, pos + 5, 5, &len) || len < 5 || in.size() - pos < 5 + len) return nullptr;
      auto o = std::make_shared<Object>();
      o->kind = Kind::BinInt;
      o->data.assign(in.begin() + pos + 10, in.begin() + pos + 5 + len);
      pos += 5 + len;
      return o;
    }
    case kPrologGrob: {
      uint32_t len = 0, h = 0, w = 0;
      if (!GetField(in, pos + 5, 5, &len) || len < 15 || in.size() - pos < 5 + len ||
          !GetField(in, pos + 10, 5, &h) || !GetField(in, pos + 15, 5, &w)) {
        return nullptr;
      }
      auto o = std::make_shared<Object>();
      o->kind = Kind::Grob;
      o->width = w;
      o->height = h;
      o->data.assign(in.begin() + pos + 20, in.begin() + pos + 5 + len);
      if (o->data.size() != static_cast<size_t>((w + 7) / 8) * 2 * h) {
        // Not a shape we can draw: keep the bytes as they are.
        Nibbles raw(in.begin() + start, in.begin() + pos + 5 + len);
        pos += 5 + len;
        return MakeRaw(raw);
      }
      pos += 5 + len;
      return o;
    }
    default:
      break;
  }
  size_t end = 0;
  if (IsLengthType(prolog)) {
    uint32_t len = 0;
    if (!GetField(in, pos + 5, 5, &len) || len < 5 || in.size() - pos < 5 + len) return nullptr;
    end = pos + 5 + len;
  } else if (int body = FixedBody(prolog); body >= 0) {
    if (in.size() - pos < 5u + body) return nullptr;
    end = pos + 5 + body;
  } else {
    return nullptr;
  }
  pos = end;
  return MakeRaw(Nibbles(in.begin() + start, in.begin() + end));
}

}  // namespace

Obj Decode(const Nibbles& in, size_t& pos) { return DecodeAt(in, pos, 0); }

Obj DecodeBinaryFile(const Bytes& file, std::string_view prefix) {
  if (!IsBinaryFile(file, prefix)) return nullptr;
  Nibbles n = UnpackBinaryFile(file);
  size_t pos = 0;
  return Decode(n, pos);
}

namespace {
uint32_t RawProlog(const Object& o) {
  uint32_t p = 0;
  GetField(o.data, 0, 5, &p);
  return p;
}
}  // namespace

bool IsFunction(const Object& obj) {
  static constexpr const char* kFunctions[] = {
      "+",   "-",   "*",   "/",   "^",   "NEG", "ABS",  "INV",    "SQ",     "SIN", "COS",
      "TAN", "EXP", "LN",  "LOG", "==",  "<",   ">",    "\x89", "\x8a", "\x8b", "AND",
      "OR",  "NOT", "\x87"};
  if (obj.kind != Kind::Command) return false;
  for (const char* f : kFunctions) {
    if (obj.text == f) return true;
  }
  return false;
}

bool IsPortLibraryCommand(const Object& obj) {
  uint32_t library = 0, number = 0;
  return obj.kind == Kind::Command && !obj.rom && GetField(obj.data, 0, 3, &library) &&
         GetField(obj.data, 3, 3, &number) && LibraryCommandName(library, number).empty();
}

std::string TypeWord(const Object& obj) {
  switch (obj.kind) {
    case Kind::Real: return "Real Number";
    case Kind::Complex: return "Complex Number";
    case Kind::String: return "String";
    case Kind::List: return "List";
    case Kind::Program: return "Program";
    case Kind::Algebraic: return "Algebraic";
    case Kind::BinInt: return "Binary Integer";
    case Kind::Grob: return "Graphic";
    case Kind::Unit: return "Unit";
    case Kind::GlobalName: return "Global Name";
    case Kind::LocalName: return "Local Name";
    case Kind::Tagged: return "Tagged";
    case Kind::Directory: return "Directory";
    case Kind::Integer: return "Integer";
    case Kind::SymbolicMatrix: return "Symbolic Matrix";
    case Kind::Command:
      if (IsPortLibraryCommand(obj)) return "XLIB Name";
      return IsFunction(obj) ? "Function" : "Command";
    case Kind::RomPtr: return "XLIB Name";
    case Kind::Raw: break;
  }
  switch (RawProlog(obj)) {
    case kPrologSysBin: return "System Binary";
    case 0x02955: return "Long Real";
    case 0x0299D: return "Long Complex";
    case 0x029BF: return "Character";
    case 0x02E92: return "XLIB Name";
    case kPrologArray: {
      uint32_t el = 0;
      GetField(obj.data, 10, 5, &el);
      if (el == kPrologReal) return "Real Array";
      if (el == kPrologComplex) return "Complex Array";
      return "Array";
    }
    case 0x02A0A: return "Linked Array";
    case kPrologLibrary: return "Library";
    case kPrologBackup: return "Backup";
    case 0x02B88: return "Library Data";
    case kPrologCode: return "Code";
    case kPrologGrob: return "Graphic";
    default: return "Extended Object";
  }
}

int TypeNumber(const Object& obj) {
  switch (obj.kind) {
    case Kind::Real: return 0;
    case Kind::Complex: return 1;
    case Kind::String: return 2;
    case Kind::List: return 5;
    case Kind::GlobalName: return 6;
    case Kind::LocalName: return 7;
    case Kind::Program: return 8;
    case Kind::Algebraic: return 9;
    case Kind::BinInt: return 10;
    case Kind::Grob: return 11;
    case Kind::Tagged: return 12;
    case Kind::Unit: return 13;
    case Kind::RomPtr: return 14;
    case Kind::Directory: return 15;
    case Kind::Command:
      if (IsPortLibraryCommand(obj)) return 14;
      return IsFunction(obj) ? 18 : 19;
    case Kind::Integer: return 28;
    case Kind::SymbolicMatrix: return 29;
    case Kind::Raw: break;
  }
  switch (RawProlog(obj)) {
    case kPrologLibrary: return 16;
    case kPrologBackup: return 17;
    case kPrologSysBin: return 20;
    case 0x02955: return 21;
    case 0x0299D: return 22;
    case 0x02A0A: return 23;
    case 0x029BF: return 24;
    case kPrologCode: return 25;
    case 0x02B88: return 26;
    case kPrologArray: return 3;
    default: return 27;
  }
}

DirEntry* FindEntry(Object& dir, const std::string& name) {
  if (name.empty()) return nullptr;
  for (auto& e : dir.entries) {
    if (e.name == name) return &e;
  }
  return nullptr;
}

const DirEntry* FindEntry(const Object& dir, const std::string& name) {
  if (name.empty()) return nullptr;
  for (const auto& e : dir.entries) {
    if (e.name == name) return &e;
  }
  return nullptr;
}

}  // namespace dravik::sim
