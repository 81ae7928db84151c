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

uint64_t EntryNibbles(const std::string& name, const Object& obj) {
  return Encode(obj).size() + 9 + 2 * name.size();
}

Calculator::Impl::Impl() {
  std::vector<Obj> iopar;
  ParseObjects("{ 9600 0 0 0 3 1 }", &iopar);
  home->entries.push_back({"IOPAR", iopar[0]});
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

Obj Calculator::Impl::Lookup(const std::string& name, std::vector<std::string>* found_in) const {
  std::vector<const Object*> chain{home.get()};
  for (const auto& n : path) {
    const DirEntry* e = FindEntry(*chain.back(), n);
    if (!e || e->obj->kind != Kind::Directory) break;
    chain.push_back(e->obj.get());
  }
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
  if (e && e->obj->kind == Kind::Directory) return "Directory Recursion";
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
    ParseObjects("9600 0 0 0 3 1", &items);
  }
  Obj n = MakeReal(value);
  n->rom = RomRealAddress(n->re);
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
  if (n < 0) return (system_flags >> (-n - 1)) & 1;
  return (user_flags >> (n - 1)) & 1;
}

void Calculator::Impl::SetFlag(int n, bool on) {
  uint64_t& f = n < 0 ? system_flags : user_flags;
  uint64_t bit = 1ULL << ((n < 0 ? -n : n) - 1);
  f = on ? (f | bit) : (f & ~bit);
}

uint64_t Calculator::Impl::FreeNibbles(const Object* not_counted) const {
  uint64_t used = 0;
  for (const auto& e : home->entries) used += EntryNibbles(e.name, *e.obj);
  for (const auto& o : stack) used += o->rom || o.get() == not_counted ? 0 : Encode(*o).size();
  return used < kUserMemoryNibbles ? kUserMemoryNibbles - used : 0;
}

std::string Calculator::Impl::StackText(int transio) const {
  if (stack.empty()) return "Empty Stack";
  std::string out;
  for (size_t i = 0; i < stack.size(); ++i) {
    size_t level = stack.size() - i;
    std::string label = std::to_string(level) + ":";
    std::string text = sim::StackText(*stack[i]);
    size_t pad = label.size() + text.size() < 24 ? 24 - label.size() - text.size() : 1;
    out += label + std::string(pad, ' ') + text + "\n";
  }
  return TranslateOut(out, std::max(transio, 1));
}


}  // namespace dravik::sim
