#include "calculator.h"

#include "calculator_impl.h"
#include "library_object.h"
#include "nibbles.h"
#include "object_text.h"
#include "rom_table.h"
#include "rpl_parser.h"
#include "transio.h"

namespace dravik::sim {

Calculator::Calculator() : Calculator(SimModel::k48GX) {}
Calculator::Calculator(SimModel model) : impl_(std::make_unique<Impl>(model)) {}
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

SimModel Calculator::model() const { return impl_->model; }

std::string Calculator::PathText() const {
  std::string s = "{ HOME ";
  for (const auto& n : impl_->path) s += n + " ";
  return s + "}";
}

std::string Calculator::DirectoryListing() const {
  const ModelTraits& t = *impl_->traits;
  // A 49 prints the figures as reals: "16.", "11.5", "52870.".
  auto figure = [&](std::string s) {
    if (t.real_trailing_dot && s.find('.') == std::string::npos) s += '.';
    return s;
  };
  std::string out;
  if (t.listing_path_line) out = PathText() + " " + figure(HalfBytesText(impl_->FreeNibbles())) + "\r\n";
  const Object& dir = impl_->Cwd();
  for (size_t k = dir.entries.size(); k-- > 0;) {
    const DirEntry& e = dir.entries[k];
    if (e.name.empty()) continue;
    Nibbles n = Encode(*e.obj);
    out += e.name + " " + figure(HalfBytesText(n.size() + 9 + 2 * e.name.size())) + " " +
           TypeWord(*e.obj) + " " + figure(std::to_string(SaturnCrc(n))) + "\r\n";
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

}  // namespace

Obj Calculator::Impl::CompileUpload(const std::string& text, int transio, bool comma) const {
  std::vector<Obj> items;
  if (!Compile(TranslateIn(text, transio), &items, comma) || items.empty()) return nullptr;
  if (items.size() == 1) return items[0];
  Obj prog = MakeComposite(Kind::Program, std::move(items));
  prog->delimited = false;
  return prog;
}

std::string Calculator::UploadName(const std::string& name) const {
  const Object& dir = impl_->Cwd();
  // A 49 also renames an upload named like one of its commands (SIN.1).
  auto taken = [&](const std::string& n) {
    return FindEntry(dir, n) || (impl_->traits->upload_renames_command_names && IsCommand(n, model()));
  };
  std::string stored = name;
  for (int k = 1; taken(stored); ++k) stored = name + "." + std::to_string(k);
  return stored;
}

std::string Calculator::UploadRefusal(const std::string& name) const {
  return name.find(':') != std::string::npos ? "Invalid Name" : std::string();
}

StoreResult Calculator::StoreUpload(const std::string& name, const Bytes& file) {
  StoreResult r;
  const ModelTraits& t = *impl_->traits;
  bool printable = true;
  for (unsigned char c : name) printable = printable && c > ' ' && c != 0x7F;
  if (name.empty() || name.size() > 127 || !printable || !UploadRefusal(name).empty() ||
      (!t.upload_renames_command_names && IsCommand(name, model()))) {
    r.error = "Invalid Name";
    return r;
  }
  Obj obj;
  if (IsBinaryFile(file, t.upload_header)) {
    obj = DecodeBinaryFile(file, t.upload_header);
  } else if (t.refused_header && IsBinaryFile(file, t.refused_header)) {
    obj = nullptr;  // the other family's binary file
  } else {
    std::string text(file.begin(), file.end());
    int transio = 1;
    bool comma = false;
    std::string body;
    if (ReadHeader(text, &transio, &comma, &body)) {
      obj = impl_->CompileUpload(body, transio, comma);
    } else if (BinaryTransfers()) {
      obj = MakeString(text);
    } else {
      obj = impl_->CompileUpload(text, 1, false);
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
  const std::string stored = UploadName(name);
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
  if (IsCommand(name, model()) || name.find(':') != std::string::npos) {
    r.error = "Invalid Name";
    return r;
  }
  const DirEntry* e = FindEntry(impl_->Cwd(), name);
  if (!e) {
    r.error = "Undefined Name";
    return r;
  }
  // A library goes as its binary form whatever flag -35 says.
  if (BinaryTransfers() || LibraryNumber(*e->obj)) {
    r.file = impl_->BinaryFile(*e->obj);
  } else {
    const ModelTraits& traits = *impl_->traits;
    const int t = TranslationMode();
    std::string body = FileText(*e->obj, model());
    if (t == 0 && traits.file_lf_only_under_t0) {
      for (size_t at; (at = body.find("\r\n")) != std::string::npos;) body.erase(at, 1);
    }
    if (traits.file_final_newline && e->obj->kind != Kind::String) body += "\r\n";
    std::string text = "%%HP: T(" + std::to_string(t) + ")A(" + traits.angle_mode + ")F(.);\r\n" + body;
    text = TranslateOut(text, t);
    r.file.assign(text.begin(), text.end());
  }
  r.ok = true;
  return r;
}

std::string Calculator::RunCommandLine(std::string_view text, CalculatorIo* io) {
  return impl_->CommandLine(text, io);
}

bool Calculator::InsertCard(uint64_t bytes) { return impl_->ports.InsertCard(bytes); }

void Calculator::WarmStart() { impl_->WarmStart(); }

void Calculator::LeaveServer() {
  if (impl_->traits->finish_clears_stack) impl_->stack.clear();
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

std::string Calculator::TypeAndEnter(std::string_view line, CalculatorIo* io) {
  std::vector<Obj> items;
  if (!impl_->Compile(line, &items)) return "Invalid Syntax";
  impl_->io = io;
  impl_->depth = 0;
  impl_->steps = 0;
  std::string err = impl_->Run(items, 0, items.size());
  impl_->locals.clear();
  impl_->io = nullptr;
  return err;
}

std::string Calculator::KeyboardRunner() const {
  const char* runner = impl_->traits->keyboard_runner;
  if (!runner) return {};
  const DirEntry* e = FindEntry(impl_->Cwd(), runner);
  return e && e->obj->kind == Kind::Program ? runner : std::string();
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
  return e ? impl_->BinaryFile(*e->obj) : Bytes();
}

}  // namespace dravik::sim
