// The calculator's memory: HOME and the current directory, variables,
// IOPAR, flags, free memory and the stack display.
#include "calculator_impl.h"
#include "object_args.h"
#include "object_text.h"
#include "rom_table.h"
#include "rpl_parser.h"
#include "transio.h"

namespace dravik::sim {

using namespace args;

namespace {

// The 49's CASDIR as a fresh memory holds it (from a real backup): EPS
// 1.E-10, VX 'X', PERIOD '2*π', REALASSUME { X Y t S1 S2 }, MODULO 13.
constexpr char kCasDirectory[] =
    "69A20FF76C000000003054053530339200990000000000010F10002065852084E201085110006005542594F44"
    "4608BA202C3727CA938ED93B213092000A0255414C414353555D454A047A20F517284E20109584E20104784E20"
    "20351384E20203523B2130F400060D4F44455C4F4604162080000310";

Obj CasDirectory() {
  Nibbles n;
  for (const char* c = kCasDirectory; *c; ++c) {
    n.push_back(static_cast<uint8_t>(*c <= '9' ? *c - '0' : *c - 'A' + 10));
  }
  size_t pos = 0;
  return Decode(n, pos);
}

}  // namespace

uint64_t EntryNibbles(const std::string& name, const Object& obj) {
  return Encode(obj).size() + 9 + 2 * name.size();
}

Calculator::Impl::Impl(SimModel m) : model(m), traits(&Traits(m)), ports(m) {
  if (traits->cas_directory) home->entries.push_back({"CASDIR", CasDirectory()});
  std::vector<Obj> iopar;
  Compile("{ 9600. 0. 0. 0. 3. 1. }", &iopar);
  home->entries.push_back({"IOPAR", iopar[0]});
}

bool Calculator::Impl::Compile(std::string_view text, std::vector<Obj>* out,
                               bool decimal_comma) const {
  ParseOptions options;
  options.decimal_comma = decimal_comma;
  options.model = model;
  const std::vector<AttachedCommand> library_commands = VisibleLibraryCommands();
  options.library_commands = &library_commands;
  return ParseObjects(text, out, options);
}

Bytes Calculator::Impl::BinaryFile(const Object& obj) const {
  return PackBinaryFile(Encode(obj), traits->binary_header);
}

Object& Calculator::Impl::Cwd() {
  Object* d = home.get();
  for (const auto& n : path) {
    DirEntry* e = FindEntry(*d, n);
    if (!e || e->obj->kind != Kind::Directory) break;
    d = e->obj.get();
  }
  return *d;
}

const Object& Calculator::Impl::Cwd() const { return const_cast<Impl*>(this)->Cwd(); }

std::vector<const Object*> Calculator::Impl::DirectoryChain() const {
  std::vector<const Object*> chain{home.get()};
  for (const auto& n : path) {
    const DirEntry* e = FindEntry(*chain.back(), n);
    if (!e || e->obj->kind != Kind::Directory) break;
    chain.push_back(e->obj.get());
  }
  return chain;
}

Obj Calculator::Impl::Lookup(const std::string& name, std::vector<std::string>* found_in) const {
  const std::vector<const Object*> chain = DirectoryChain();
  for (size_t k = chain.size(); k-- > 0;) {
    if (const DirEntry* e = FindEntry(*chain[k], name)) {
      if (found_in) found_in->assign(path.begin(), path.begin() + k);
      return e->obj;
    }
  }
  return nullptr;
}

std::string Calculator::Impl::Store(const std::string& name, const Obj& value) {
  Obj v = AsStored(StripTags(value));
  if (v->kind == Kind::Directory) v = Clone(v);
  Object& dir = Cwd();
  DirEntry* e = FindEntry(dir, name);
  if (e && e->obj->kind == Kind::Directory) return traits->store_over_directory;
  // The value leaves the stack as it is stored, and the old value is freed.
  const uint64_t freed = e ? EntryNibbles(name, *e->obj) : 0;
  if (EntryNibbles(name, *v) > FreeNibbles(value.get()) + freed) return kNoMemory;
  if (e) {
    e->obj = v;
  } else {
    dir.entries.push_back({name, v});
  }
  return {};
}

int Calculator::Impl::IoparEntry(int index, int fallback) const {
  const DirEntry* e = FindEntry(*home, "IOPAR");
  if (!e || e->obj->kind != Kind::List || static_cast<int>(e->obj->items.size()) < index) {
    return fallback;
  }
  long long v = 0;
  if (!IntArg(e->obj->items[index - 1], &v)) return fallback;
  return static_cast<int>(v);
}

std::string Calculator::Impl::SetIoparEntry(int index, long long value) {
  DirEntry* e = FindEntry(*home, "IOPAR");
  std::vector<Obj> items;
  if (e && e->obj->kind == Kind::List && e->obj->items.size() >= 6) {
    items = e->obj->items;
  } else {
    Compile("9600. 0. 0. 0. 3. 1.", &items);
  }
  Obj n = MakeReal(value);
  n->rom = RomRealAddress(n->re, model);
  items[index - 1] = n;
  Obj list = MakeComposite(Kind::List, std::move(items));
  if (e) {
    e->obj = list;
  } else {
    home->entries.insert(home->entries.begin(), {"IOPAR", list});
  }
  return {};
}

bool Calculator::Impl::Flag(int n) const {
  if (n < -64 || n > 64) return false;
  if (n < 0) return (system_flags >> (-n - 1)) & 1;
  return (user_flags >> (n - 1)) & 1;
}

void Calculator::Impl::SetFlag(int n, bool on) {
  if (n < -64 || n > 64) return;
  uint64_t& f = n < 0 ? system_flags : user_flags;
  uint64_t bit = 1ULL << ((n < 0 ? -n : n) - 1);
  f = on ? (f | bit) : (f & ~bit);
}

uint64_t Calculator::Impl::FreeNibbles(const Object* not_counted) const {
  uint64_t used = 0;
  for (const auto& e : home->entries) used += EntryNibbles(e.name, *e.obj);
  for (const auto& o : stack) used += o->rom || o.get() == not_counted ? 0 : Encode(*o).size();
  // Port 0 lives in main memory, and a merged card adds to it.
  used += ports.MainMemoryUsed();
  const uint64_t total = traits->user_memory_nibbles + ports.MainMemoryAdded();
  return used < total ? total - used : 0;
}

Nibbles Calculator::Impl::MemoryAfter(const std::string& name) const {
  // The directory the name is found in, as Lookup finds it.
  const std::vector<const Object*> chain = DirectoryChain();
  Nibbles after;
  for (size_t k = chain.size(); k-- > 0 && after.empty();) {
    const Object& dir = *chain[k];
    if (!FindEntry(dir, name)) continue;
    // Walk the directory's memory form to the object: link, name, name
    // length again, object; what follows it is the rest of the directory.
    const Nibbles all = Encode(dir);
    size_t pos = 13;
    for (const DirEntry& e : dir.entries) {
      pos += 5 + 2 + 2 * e.name.size() + (e.name.empty() ? 0 : 2);
      const size_t size = Encode(*e.obj).size();
      if (e.name == name) {
        after.assign(all.begin() + static_cast<long>(std::min(pos + size, all.size())), all.end());
        break;
      }
      pos += size;
    }
  }
  // Then memory goes on: HOME again, as often as a 1024-byte block needs.
  const Nibbles more = Encode(*home);
  while (after.size() < 2 * 1024 + 2) after.insert(after.end(), more.begin(), more.end());
  return after;
}

std::string Calculator::Impl::StackText(int transio) const {
  if (stack.empty()) return "Empty Stack";
  std::string out;
  for (size_t i = 0; i < stack.size(); ++i) {
    size_t level = stack.size() - i;
    std::string label = std::to_string(level) + ":";
    std::string text = sim::StackText(*stack[i], model);
    if (traits->stack_value_width && text.size() > traits->stack_value_width) {
      text.resize(traits->stack_value_width);
    }
    size_t pad = label.size() + text.size() < 24 ? 24 - label.size() - text.size() : 1;
    out += label + std::string(pad, ' ') + text + "\n";
  }
  return TranslateOut(out, std::max(transio, 1));
}


}  // namespace dravik::sim
