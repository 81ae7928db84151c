// Ports and libraries: PVARS, LIBS, ATTACH, DETACH, MERGE, FREE, and the
// port forms of STO, RCL, PURGE and VTYPE (:1:NAME, :&:NAME, :0:1234, and
// a library stored by port number).
#include <algorithm>
#include <array>

#include "builtin_table.h"
#include "library_object.h"
#include "object_args.h"

namespace dravik::sim {

using namespace args;
using Impl = Calculator::Impl;

namespace {

constexpr char kNoPort[] = "Port Not Available";
constexpr char kInUse[] = "Object In Use";
constexpr uint32_t kNoLibrary = 0x7FF;

// What a port name names: one port (or every port, :&:) and the name kept
// there, a library by its number.
struct PortRef {
  bool every = false;
  long long port = -1;
  std::string name;
};

// The name a port keeps for a name or a library number; empty for any
// other object.
std::string KeyOf(const Object& inner) {
  if (inner.kind == Kind::GlobalName) return inner.text;
  HpReal r;
  long long v = 0;
  if (inner.kind == Kind::Integer && !ParseReal(inner.text, &r)) return {};
  if (inner.kind == Kind::Real) r = inner.re;
  if ((inner.kind == Kind::Integer || inner.kind == Kind::Real) && RealToInt(r, &v) && v >= 0) {
    return std::to_string(v);
  }
  return {};
}

bool IsNumber(const Obj& o) {
  HpReal r;
  return RealArg(o, &r);
}

// A name tagged with a port number or &; false for anything else.
bool ReadPortRef(const Object& arg, PortRef* ref) {
  if (arg.kind != Kind::Tagged || arg.items.empty() || arg.text.empty()) return false;
  if (arg.text == "&") {
    ref->every = true;
  } else if (arg.text.size() <= 3 && std::all_of(arg.text.begin(), arg.text.end(), [](char ch) {
               return ch >= '0' && ch <= '9';
             })) {
    ref->port = std::stoll(arg.text);
  } else {
    return false;
  }
  ref->name = KeyOf(*arg.items[0]);
  return !ref->name.empty();
}

// A tag naming no port of a model that reads it as no tag (the 49's :3:).
bool NamesDirectory(const Impl& c, const PortRef& ref) {
  return !ref.every && c.traits->ports.missing_port_is_directory &&
         ref.port >= c.traits->ports.count;
}

// The port a name is stored into or read from; null (Port Not Available)
// when the model has no such port, no card is in it or it is merged.
const Port* UsablePort(const Impl& c, long long number) {
  const Port* p = c.ports.Get(number);
  return p && !p->merged ? p : nullptr;
}
Port* UsablePort(Impl& c, long long number) {
  return const_cast<Port*>(UsablePort(static_cast<const Impl&>(c), number));
}

// The entry a reference names (with &, the first port holding it).
const PortEntry* FindEntryIn(const Impl& c, const PortRef& ref) {
  for (long long k = 0; k < 3; ++k) {
    if (!ref.every && k != ref.port) continue;
    const Port* p = UsablePort(c, k);
    if (const PortEntry* e = p ? p->Find(ref.name) : nullptr) return e;
  }
  return nullptr;
}

// What RCL and VTYPE find for a port name: the object, or null when the
// port holds no such name; an error when there is no such port.
std::string LookUpPortName(const Impl& c, const Object& arg, Obj* found) {
  PortRef ref;
  ReadPortRef(arg, &ref);
  if (NamesDirectory(c, ref)) {
    *found = c.Lookup(ref.name);
    return {};
  }
  if (!ref.every && !UsablePort(c, ref.port)) return kNoPort;
  const PortEntry* e = FindEntryIn(c, ref);
  *found = e ? e->obj : nullptr;
  return {};
}

Obj PortNumber(const Impl& c, long long v) {
  return c.traits->exact_integers ? MakeInteger(v) : MakeReal(v);
}

// Whether a library is attached to the current directory or one above it.
bool IsAttachedAbove(const Impl& c, uint32_t number) {
  const auto& home = c.home_libraries;
  if (std::find(home.begin(), home.end(), number) != home.end()) return true;
  const std::vector<const Object*> chain = c.DirectoryChain();
  return std::any_of(chain.begin() + 1, chain.end(),
                     [&](const Object* d) { return d->library == number; });
}

std::string StoreInto(Impl& c, Port& port, const std::string& name, const Obj& value) {
  Obj v = AsStored(StripTags(value));
  if (v->kind == Kind::Directory) v = Clone(v);
  const std::string key = PortName(name, *v);
  if (port.Find(key)) return kInUse;
  const uint64_t size = PortEntryNibbles(key, *v);
  const uint64_t room = port.main ? c.FreeNibbles(value.get()) : port.FreeNibbles();
  if (size > room) return port.main ? kNoMemory : "No Room in Port";
  port.entries.push_back({key, v});
  return {};
}

std::string Pvars(Impl& c, const std::string&) {
  long long n = 0;
  if (!IntArg(Level(c, 1), &n)) return kBadType;
  const Port* p = c.ports.Get(n);
  if (!p) return kNoPort;
  std::vector<Obj> names;
  for (const PortEntry& e : p->entries) {
    Obj inner = LibraryNumber(*e.obj) ? PortNumber(c, std::stoll(e.name)) : MakeName(e.name);
    names.push_back(MakeTagged(std::to_string(n), inner));
  }
  Drop(c, 1);
  Push(c, MakeComposite(Kind::List, std::move(names)));
  if (p->merged) {
    Push(c, MakeString("SYSRAM"));
  } else {
    const uint64_t free = p->main ? c.FreeNibbles() : p->FreeNibbles();
    Push(c, MakeReal(RealFromDouble(static_cast<long double>(free) / 2)));
  }
  return {};
}

// The list of title, number and port of each library attached here.
std::string Libs(Impl& c, const std::string&) {
  std::vector<Obj> items;
  for (uint32_t number : c.AttachedHere()) {
    long long port = 0;
    const Object* lib = c.FindLibrary(number, &port);
    auto info = lib ? ReadLibrary(*lib) : std::nullopt;
    if (!info) continue;
    items.push_back(MakeString(info->title));
    items.push_back(PortNumber(c, number));
    items.push_back(PortNumber(c, port));
  }
  Push(c, MakeComposite(Kind::List, std::move(items)));
  return {};
}

bool LibraryArg(const Obj& o, uint32_t* number) {
  long long v = 0;
  if (!IntArg(o, &v) || v < 0 || v > 0xFFFFF) return false;
  *number = static_cast<uint32_t>(v);
  return true;
}

// ATTACH of a library no port holds (or, on a 48, one no warm start has
// installed yet) does nothing, as the real one does.
std::string Attach(Impl& c, const std::string&) {
  uint32_t number = 0;
  if (!LibraryArg(Level(c, 1), &number)) return kBadType;
  Drop(c, 1);
  if (!c.FindLibrary(number)) return {};
  if (c.path.empty()) {
    if (!IsAttachedAbove(c, number)) c.home_libraries.push_back(number);
  } else {
    c.Cwd().library = number;
  }
  return {};
}

std::string Detach(Impl& c, const std::string&) {
  uint32_t number = 0;
  if (!LibraryArg(Level(c, 1), &number)) return kBadType;
  Drop(c, 1);
  if (c.path.empty()) {
    std::erase(c.home_libraries, number);
  } else if (c.Cwd().library == number) {
    c.Cwd().library = kNoLibrary;
  }
  return {};
}

// A card port whose RAM can be merged into main memory, or freed again.
Port* CardPort(Impl& c, const Obj& arg, long long* number) {
  if (!IntArg(arg, number) || *number < 1) return nullptr;
  Port* p = c.ports.Get(*number);
  return p && !p->main && *number <= c.traits->ports.card_ports ? p : nullptr;
}

// MERGE: the card's RAM joins main memory and its objects move to port 0.
std::string Merge(Impl& c, const std::string&) {
  if (!c.traits->ports.merge) return kBadType;
  long long n = 0;
  if (!IsNumber(Level(c, 1))) return kBadType;
  Port* card = CardPort(c, Level(c, 1), &n);
  Port* main = c.ports.Get(0);
  if (!card || card->merged || !main) return kNoPort;
  for (PortEntry& e : card->entries) main->entries.push_back(std::move(e));
  card->entries.clear();
  card->merged = true;
  Drop(c, 1);
  return {};
}

// FREE: the merged card becomes a port again, taking along the port 0
// objects the list names (by name or library number, tagged or not).
std::string Free(Impl& c, const std::string&) {
  if (!c.traits->ports.merge) return kBadType;
  if (Level(c, 2)->kind != Kind::List || !IsNumber(Level(c, 1))) return kBadType;
  long long n = 0;
  Port* card = CardPort(c, Level(c, 1), &n);
  Port* main = c.ports.Get(0);
  if (!card || !card->merged || !main) return kNoPort;
  std::vector<std::string> names;
  uint64_t moved = 0;
  for (const Obj& item : Level(c, 2)->items) {
    const std::string key = KeyOf(item->Untagged());
    const PortEntry* e = key.empty() ? nullptr : main->Find(key);
    if (!e) return kBadValue;
    names.push_back(key);
    moved += PortEntryNibbles(e->name, *e->obj);
  }
  if (moved > card->capacity || c.FreeNibbles() + moved < card->capacity) return kNoMemory;
  for (const std::string& key : names) {
    card->entries.push_back(*main->Find(key));
    main->Erase(key);
  }
  card->merged = false;
  Drop(c, 2);
  return {};
}

constexpr std::array kTable = {
    BuiltinCommand{"PVARS", 1, Pvars},   BuiltinCommand{"LIBS", 0, Libs},
    BuiltinCommand{"ATTACH", 1, Attach}, BuiltinCommand{"DETACH", 1, Detach},
    BuiltinCommand{"MERGE", 1, Merge},   BuiltinCommand{"FREE", 2, Free},
};

}  // namespace

bool IsPortArgument(const Object& arg) {
  PortRef ref;
  return ReadPortRef(arg, &ref);
}

// :n:NAME STO, :n:1234 STO (the number is the library's own), and a
// library STO'd with a port number.
std::string StoreInPort(Impl& c) {
  const Obj value = Level(c, 2);
  PortRef ref;
  if (!ReadPortRef(*Level(c, 1), &ref)) {
    if (!LibraryNumber(value->Untagged()) || !IntArg(Level(c, 1), &ref.port)) return kBadType;
    ref.name = "LIB";  // replaced by the library's number
  }
  if (ref.every) return kBadValue;
  if (NamesDirectory(c, ref)) {
    if (std::string err = c.Store(ref.name, value); !err.empty()) return err;
  } else {
    Port* port = UsablePort(c, ref.port);
    if (!port) return kNoPort;
    if (std::string err = StoreInto(c, *port, ref.name, value); !err.empty()) return err;
  }
  Drop(c, 2);
  return {};
}

std::string RecallFromPort(Impl& c) {
  Obj v;
  if (std::string err = LookUpPortName(c, *Level(c, 1), &v); !err.empty()) return err;
  if (!v) return kUndefined;
  Drop(c, 1);
  Push(c, v->kind == Kind::Directory ? Clone(v) : v);
  return {};
}

std::string PortVariableType(Impl& c) {
  Obj v;
  if (std::string err = LookUpPortName(c, *Level(c, 1), &v); !err.empty()) return err;
  Drop(c, 1);
  Push(c, MakeReal(v ? TypeNumber(*v) : -1));
  return {};
}

std::string CheckPortPurge(const Impl& c, const Object& name) {
  PortRef ref;
  ReadPortRef(name, &ref);
  if (ref.every) return kBadValue;
  if (NamesDirectory(c, ref)) return {};
  if (!UsablePort(c, ref.port)) return kNoPort;
  const PortEntry* e = FindEntryIn(c, ref);
  if (!e) return {};
  const PortTraits& t = c.traits->ports;
  if (t.purge_refuses_object_on_stack) {
    for (const Obj& o : c.stack) {
      if (o == e->obj) return kInUse;
    }
  }
  if (auto number = LibraryNumber(*e->obj);
      number && t.purge_refuses_attached_library && IsAttachedAbove(c, *number)) {
    return kInUse;
  }
  return {};
}

void PurgeFromPort(Impl& c, const Object& name) {
  PortRef ref;
  ReadPortRef(name, &ref);
  if (NamesDirectory(c, ref)) {
    std::erase_if(c.Cwd().entries, [&](const DirEntry& e) { return e.name == ref.name; });
    return;
  }
  Port* port = UsablePort(c, ref.port);
  const PortEntry* e = port ? port->Find(ref.name) : nullptr;
  if (!e) return;
  // An attached library goes with its attachment to HOME (a subdirectory
  // keeps the number in its memory form, and lists it no more).
  if (auto number = LibraryNumber(*e->obj)) std::erase(c.home_libraries, *number);
  port->Erase(ref.name);
}

std::span<const BuiltinCommand> PortCommands() { return kTable; }

}  // namespace dravik::sim
