// Argument helpers shared by the interpreter and the built-in commands.
#pragma once

#include <cmath>

#include "hp_object.h"

namespace dravik::sim::args {

inline constexpr char kTooFew[] = "Too Few Arguments";
inline constexpr char kBadType[] = "Bad Argument Type";
inline constexpr char kBadValue[] = "Bad Argument Value";
inline constexpr char kUndefined[] = "Undefined Name";

inline constexpr char kNoMemory[] = "Insufficient Memory";

// Upper bounds that stand for the calculator's 128 KB of memory.
inline constexpr size_t kMemoryBytes = 128 * 1024;
inline constexpr size_t kMaxStackLevels = 50000;

// A real, or an exact integer as the real nearest it (what a command that
// takes a number, a count or an index reads).
inline bool RealArg(const Obj& o, HpReal* r) {
  const Object& u = o->Untagged();
  if (u.kind == Kind::Integer) return ParseReal(u.text, r);
  if (u.kind != Kind::Real) return false;
  *r = u.re;
  return true;
}

inline bool IntArg(const Obj& o, long long* v) {
  HpReal r;
  if (!RealArg(o, &r)) return false;
  long double d = RealToDouble(r);
  if (!(std::fabs(d) < 1e15L)) return false;
  *v = std::llround(d);
  return true;
}

// Tests take any nonzero real, and any other object, as true.
inline bool IsTrue(const Obj& o) {
  HpReal r;
  if (RealArg(o, &r)) return r.mant != 0;
  return true;
}

// The object as a variable holds it: a ROM constant becomes a copy in
// memory; built-in commands stay pointers.
inline Obj AsStored(const Obj& o) {
  if (!o->rom || o->kind == Kind::Command || o->kind == Kind::RomPtr) return o;
  Obj c = std::make_shared<Object>(*o);
  c->rom = 0;
  return c;
}

inline uint64_t BinValue(const Object& o) {
  uint64_t v = 0;
  for (size_t i = std::min<size_t>(o.data.size(), 16); i-- > 0;) v = (v << 4) | o.data[i];
  return v;
}

}  // namespace dravik::sim::args
