#include "calculator.h"

#include "calculator_impl.h"
#include "nibbles.h"
#include "object_text.h"
#include "rom_table.h"
#include "rpl_parser.h"
#include "transio.h"

namespace dravik::sim {

Calculator::Calculator() : impl_(std::make_unique<Impl>()) {}
Calculator::~Calculator() = default;
Calculator::Calculator(Calculator&&) noexcept = default;
Calculator& Calculator::operator=(Calculator&&) noexcept = default;

int Calculator::ChecksumType() const {
  int c = impl_->IoparEntry(5, 3);
  return c >= 1 && c <= 3 ? c : 3;
}

int Calculator::TranslationMode() const {
  int t = impl_->IoparEntry(6, 1);
  return t >= 0 && t <= 3 ? t : 1;
}

bool Calculator::BinaryTransfers() const { return impl_->Flag(-35); }

std::string Calculator::PathText() const {
  std::string s = "{ HOME ";
  for (const auto& n : impl_->path) s += n + " ";
  return s + "}";
}

std::string Calculator::DirectoryListing() const {
  char free_text[32];
  double free = impl_->FreeBytes();
  if (free == static_cast<long long>(free)) {
    snprintf(free_text, sizeof free_text, "%lld", static_cast<long long>(free));
  } else {
    snprintf(free_text, sizeof free_text, "%.1f", free);
  }
  std::string out = PathText() + " " + free_text + "\r\n";
  const Object& dir = impl_->Cwd();
  for (size_t k = dir.entries.size(); k-- > 0;) {
    const DirEntry& e = dir.entries[k];
    if (e.name.empty()) continue;
    Nibbles n = Encode(*e.obj);
    out += e.name + " " + HalfBytesText(n.size() + 9 + 2 * e.name.size()) + " " + TypeWord(*e.obj) +
           " " + std::to_string(SaturnCrc(n)) + "\r\n";
  }
  return out;
}

namespace {

// Reads "%%HP: T(n)A(x)F(y);" and returns the text after it.
bool ReadHeader(const std::string& text, int* t, bool* comma, std::string* body) {
  if (text.rfind("%%HP:", 0) != 0) return false;
  size_t semi = text.find(';');
  if (semi == std::string::npos) return false;
  std::string head = text.substr(0, semi);
  *t = 3;
  *comma = false;
  if (size_t p = head.find("T("); p != std::string::npos && p + 2 < head.size()) {
    char c = head[p + 2];
    if (c >= '0' && c <= '3') *t = c - '0';
  }
  if (size_t p = head.find("F("); p != std::string::npos && p + 2 < head.size()) {
    *comma = head[p + 2] == ',';
  }
  *body = text.substr(semi + 1);
  return true;
}

Obj CompileUpload(const std::string& text, int transio, bool comma) {
  std::vector<Obj> items;
  ParseOptions opt;
  opt.decimal_comma = comma;
  if (!ParseObjects(TranslateIn(text, transio), &items, opt) || items.empty()) return nullptr;
  if (items.size() == 1) return items[0];
  Obj prog = MakeComposite(Kind::Program, std::move(items));
  prog->delimited = false;
  return prog;
}

}  // namespace

StoreResult Calculator::StoreUpload(const std::string& name, const Bytes& file) {
  StoreResult r;
  bool printable = true;
  for (unsigned char c : name) printable = printable && c > ' ' && c != 0x7F;
  if (name.empty() || name.size() > 127 || !printable || CommandAddress(name) != 0) {
    r.error = "Invalid Name";
    return r;
  }
  Obj obj;
  if (IsBinaryFile(file)) {
    obj = DecodeBinaryFile(file);
  } else {
    std::string text(file.begin(), file.end());
    int t = 1;
    bool comma = false;
    std::string body;
    if (ReadHeader(text, &t, &comma, &body)) {
      obj = CompileUpload(body, t, comma);
    } else if (BinaryTransfers()) {
      obj = MakeString(text);
    } else {
      obj = CompileUpload(text, 1, false);
    }
  }
  if (!obj) {
    r.error = "Invalid Syntax";
    return r;
  }
  obj = StripTags(obj);
  if (obj->rom) {
    obj = std::make_shared<Object>(*obj);
    obj->rom = 0;
  }
  Object& dir = impl_->Cwd();
  std::string stored = name;
  for (int k = 1; FindEntry(dir, stored); ++k) stored = name + "." + std::to_string(k);
  if (EntryNibbles(stored, *obj) > impl_->FreeNibbles()) {
    r.error = "Insufficient Memory";
    return r;
  }
  dir.entries.push_back({stored, obj});
  r.ok = true;
  r.stored_name = stored;
  return r;
}

bool Calculator::HasRoomFor(size_t bytes) const { return 2 * bytes <= impl_->FreeNibbles(); }

RecallResult Calculator::RecallForTransfer(const std::string& name) const {
  RecallResult r;
  if (CommandAddress(name) != 0) {
    r.error = "Invalid Name";
    return r;
  }
  const DirEntry* e = FindEntry(impl_->Cwd(), name);
  if (!e) {
    r.error = "Undefined Name";
    return r;
  }
  if (BinaryTransfers()) {
    r.file = PackBinaryFile(Encode(*e->obj));
  } else {
    const int t = TranslationMode();
    std::string text = "%%HP: T(" + std::to_string(t) + ")A(D)F(.);\r\n" + FileText(*e->obj);
    if (e->obj->kind != Kind::String) text += "\r\n";
    text = TranslateOut(text, t);
    r.file.assign(text.begin(), text.end());
  }
  r.ok = true;
  return r;
}

std::string Calculator::RunCommandLine(std::string_view text, CalculatorIo* io) {
  return impl_->CommandLine(text, io);
}

bool Calculator::PressEval(CalculatorIo* io) {
  if (impl_->stack.empty()) return false;
  Obj o = impl_->stack.back();
  impl_->stack.pop_back();
  impl_->io = io;
  impl_->depth = 0;
  impl_->steps = 0;
  std::string err = impl_->Eval(o);
  impl_->locals.clear();
  impl_->io = nullptr;
  return true;
}

std::string Calculator::StackDisplay() const { return impl_->StackText(TranslationMode()); }

namespace {

const Object* DirAt(const Object& home, const std::string& path) {
  // "HOME\D\" or "HOME\D" or "HOME"
  if (path.rfind("HOME", 0) != 0) return nullptr;
  const Object* d = &home;
  size_t p = 4;
  while (p < path.size()) {
    if (path[p] != '\\') return nullptr;
    size_t e = path.find('\\', p + 1);
    std::string n = path.substr(p + 1, e == std::string::npos ? std::string::npos : e - p - 1);
    if (n.empty()) break;
    const DirEntry* entry = FindEntry(*d, n);
    if (!entry || entry->obj->kind != Kind::Directory) return nullptr;
    d = entry->obj.get();
    if (e == std::string::npos) break;
    p = e;
  }
  return d;
}

}  // namespace

std::vector<std::string> Calculator::VariableNames(const std::string& path) const {
  std::vector<std::string> out;
  const Object* d = DirAt(*impl_->home, path);
  if (!d) return out;
  for (size_t k = d->entries.size(); k-- > 0;) {
    if (!d->entries[k].name.empty()) out.push_back(d->entries[k].name);
  }
  return out;
}

std::string Calculator::TypeOf(const std::string& path, const std::string& name) const {
  const Object* d = DirAt(*impl_->home, path);
  const DirEntry* e = d ? FindEntry(*d, name) : nullptr;
  return e ? TypeWord(*e->obj) : std::string();
}

Bytes Calculator::BinaryOf(const std::string& path, const std::string& name) const {
  const Object* d = DirAt(*impl_->home, path);
  const DirEntry* e = d ? FindEntry(*d, name) : nullptr;
  return e ? PackBinaryFile(Encode(*e->obj)) : Bytes();
}

}  // namespace dravik::sim
