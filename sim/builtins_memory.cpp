// Variables, directories and memory: STO, RCL, PURGE, CRDIR, PGDIR, HOME,
// UPDIR, PATH, VARS, TVARS, TYPE, VTYPE, BYTES, MEM.
#include <array>

#include "builtin_table.h"
#include "object_args.h"

namespace dravik::sim {

using namespace args;
using Impl = Calculator::Impl;

namespace {

// The innermost local variable of that name, null when none.
Obj* FindLocal(Impl& c, const std::string& name) {
  for (size_t k = c.locals.size(); k-- > 0;) {
    for (auto& [n, v] : c.locals[k]) {
      if (n == name) return &v;
    }
  }
  return nullptr;
}

std::string Sto(Impl& c, const std::string&) {
  const Object& name = *Level(c, 1);
  if (name.kind == Kind::LocalName) {
    Obj* v = FindLocal(c, name.text);
    if (!v) return "Undefined Local Name";
    *v = Level(c, 2);
    Drop(c, 2);
    return {};
  }
  if (IsPortArgument(name) || name.kind == Kind::Real || name.kind == Kind::Integer) {
    return StoreInPort(c);
  }
  if (name.kind != Kind::GlobalName) return kBadType;
  std::string err = c.Store(name.text, Level(c, 2));
  if (!err.empty()) return err;
  Drop(c, 2);
  return {};
}

std::string Rcl(Impl& c, const std::string&) {
  const Object& name = *Level(c, 1);
  if (IsPortArgument(name)) return RecallFromPort(c);
  Obj v;
  if (name.kind == Kind::LocalName) {
    Obj* local = FindLocal(c, name.text);
    if (!local) return "Undefined Local Name";
    v = *local;
  } else if (name.kind == Kind::GlobalName) {
    v = c.Lookup(name.text);
    if (!v) return kUndefined;
  } else {
    return kBadType;
  }
  Drop(c, 1);
  Push(c, v->kind == Kind::Directory ? Clone(v) : v);
  return {};
}

// PURGE checks a list of names whole before it purges any.
std::string Purge(Impl& c, const std::string&) {
  Obj arg = Level(c, 1);
  std::vector<Obj> names = arg->kind == Kind::List ? arg->items : std::vector<Obj>{arg};
  for (const Obj& n : names) {
    if (n->kind != Kind::GlobalName && !IsPortArgument(*n)) return kBadType;
  }
  Object& dir = c.Cwd();
  for (const Obj& n : names) {
    if (n->kind != Kind::GlobalName) {
      if (std::string err = CheckPortPurge(c, *n); !err.empty()) return err;
      continue;
    }
    const DirEntry* e = FindEntry(dir, n->text);
    if (e && e->obj->kind == Kind::Directory && !e->obj->entries.empty()) {
      return "Non-Empty Directory";
    }
  }
  Drop(c, 1);
  for (const Obj& n : names) {
    if (n->kind != Kind::GlobalName) {
      PurgeFromPort(c, *n);
      continue;
    }
    for (auto it = dir.entries.begin(); it != dir.entries.end(); ++it) {
      if (it->name == n->text) {
        dir.entries.erase(it);
        break;
      }
    }
  }
  return {};
}

std::string PgDir(Impl& c, const std::string&) {
  const Object& n = *Level(c, 1);
  if (n.kind != Kind::GlobalName) return kBadType;
  Object& dir = c.Cwd();
  for (auto it = dir.entries.begin(); it != dir.entries.end(); ++it) {
    if (it->name == n.text) {
      if (it->obj->kind != Kind::Directory) return kBadValue;
      dir.entries.erase(it);
      Drop(c, 1);
      return {};
    }
  }
  if (!c.traits->pgdir_of_missing_is_silent) return kUndefined;
  Drop(c, 1);
  return {};
}

// CRDIR of a name in use: an error on a 48; a 49 makes a variable of that
// name an empty directory (the newest entry) and leaves a directory be.
std::string CrDir(Impl& c, const std::string&) {
  const Object& n = *Level(c, 1);
  if (n.kind != Kind::GlobalName) return kBadType;
  Object& dir = c.Cwd();
  if (const DirEntry* e = FindEntry(dir, n.text)) {
    if (!c.traits->crdir_replaces_variable) return kBadValue;
    if (e->obj->kind == Kind::Directory) {
      Drop(c, 1);
      return {};
    }
    std::erase_if(dir.entries, [&](const DirEntry& old) { return old.name == n.text; });
  }
  dir.entries.push_back({n.text, MakeDirectory()});
  Drop(c, 1);
  return {};
}

std::string Home(Impl& c, const std::string&) {
  c.path.clear();
  return {};
}

std::string UpDir(Impl& c, const std::string&) {
  if (!c.path.empty()) c.path.pop_back();
  return {};
}

std::string PathList(Impl& c, const std::string&) {
  std::vector<Obj> items{MakeCommand("HOME", c.model)};
  for (const auto& n : c.path) items.push_back(MakeName(n));
  Push(c, MakeComposite(Kind::List, std::move(items)));
  return {};
}

std::string Vars(Impl& c, const std::string&) {
  std::vector<Obj> items;
  const Object& dir = c.Cwd();
  for (size_t k = dir.entries.size(); k-- > 0;) {
    if (!dir.entries[k].name.empty()) items.push_back(MakeName(dir.entries[k].name));
  }
  Push(c, MakeComposite(Kind::List, std::move(items)));
  return {};
}

// TVARS: the names in the current directory (not above it) holding an
// object of the type number given, in the order VARS lists them.
std::string TypedVars(Impl& c, const std::string&) {
  HpReal t;
  long long type = 0;
  if (!RealArg(Level(c, 1), &t) || !RealToInt(t, &type)) return kBadType;
  std::vector<Obj> items;
  const Object& dir = c.Cwd();
  for (size_t k = dir.entries.size(); k-- > 0;) {
    const auto& entry = dir.entries[k];
    if (!entry.name.empty() && entry.obj && TypeNumber(*entry.obj) == type) {
      items.push_back(MakeName(entry.name));
    }
  }
  Drop(c, 1);
  Push(c, MakeComposite(Kind::List, std::move(items)));
  return {};
}

std::string TypeOf(Impl& c, const std::string&) {
  int t = TypeNumber(*Level(c, 1));
  Drop(c, 1);
  Push(c, MakeReal(t));
  return {};
}

// VTYPE: the type number of what a name holds, found as RCL finds it; -1
// when nothing of that name is there. Nothing is evaluated.
std::string VariableType(Impl& c, const std::string&) {
  const Object& name = *Level(c, 1);
  if (IsPortArgument(name)) return PortVariableType(c);
  if (name.kind != Kind::GlobalName) return kBadType;
  const Obj v = c.Lookup(name.text);
  const int t = v ? TypeNumber(*v) : -1;
  Drop(c, 1);
  Push(c, MakeReal(t));
  return {};
}

// BYTES of a name measures the variable (its entry with the object).
std::string ByteSize(Impl& c, const std::string&) {
  Obj o = Level(c, 1);
  if (o->kind == Kind::Command || o->kind == Kind::RomPtr || o->rom) {
    // Built-in objects in ROM.
    Drop(c, 1);
    Push(c, MakeBinInt(0));
    Push(c, MakeReal(RealFromDouble(2.5L)));
    return {};
  }
  Nibbles n;
  uint64_t size = 0;
  if (o->kind == Kind::GlobalName) {
    if (Obj v = c.Lookup(o->text)) {
      n = Encode(*v);
      size = EntryNibbles(o->text, *v);
    }
  }
  if (n.empty()) {
    n = Encode(*o);
    size = n.size();
  }
  Drop(c, 1);
  Push(c, MakeBinInt(SaturnCrc(n)));
  Push(c, MakeReal(RealFromDouble(static_cast<long double>(size) / 2)));
  return {};
}

std::string Mem(Impl& c, const std::string&) {
  Push(c, MakeReal(RealFromDouble(c.FreeBytes())));
  return {};
}

constexpr std::array kTable = {
    BuiltinCommand{"STO", 2, Sto},     BuiltinCommand{"RCL", 1, Rcl},
    BuiltinCommand{"PURGE", 1, Purge}, BuiltinCommand{"PGDIR", 1, PgDir},
    BuiltinCommand{"CRDIR", 1, CrDir}, BuiltinCommand{"HOME", 0, Home},
    BuiltinCommand{"UPDIR", 0, UpDir}, BuiltinCommand{"PATH", 0, PathList},
    BuiltinCommand{"VARS", 0, Vars},   BuiltinCommand{"TYPE", 1, TypeOf},
    BuiltinCommand{"VTYPE", 1, VariableType}, BuiltinCommand{"TVARS", 1, TypedVars},
    BuiltinCommand{"BYTES", 1, ByteSize}, BuiltinCommand{"MEM", 0, Mem},
};

}  // namespace

std::span<const BuiltinCommand> MemoryCommands() { return kTable; }

}  // namespace dravik::sim
