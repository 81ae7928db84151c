// Stack commands: DUP, DROP, SWAP, PICK, ROLL, … and EVAL.
#include <array>

#include "builtin_table.h"
#include "object_args.h"

namespace dravik::sim {

using namespace args;
using Impl = Calculator::Impl;

namespace {

std::string Dup(Impl& c, const std::string&) {
  Push(c, Level(c, 1));
  return {};
}

std::string Dup2(Impl& c, const std::string&) {
  Obj a = Level(c, 2), b = Level(c, 1);
  Push(c, a);
  Push(c, b);
  return {};
}

std::string DropOne(Impl& c, const std::string&) {
  Drop(c, 1);
  return {};
}

std::string DropTwo(Impl& c, const std::string&) {
  Drop(c, 2);
  return {};
}

std::string Swap(Impl& c, const std::string&) {
  std::swap(Level(c, 1), Level(c, 2));
  return {};
}

std::string Over(Impl& c, const std::string&) {
  Push(c, Level(c, 2));
  return {};
}

std::string Rot(Impl& c, const std::string&) {
  Obj a = Level(c, 3);
  c.stack.erase(c.stack.end() - 3);
  Push(c, a);
  return {};
}

std::string Depth(Impl& c, const std::string&) {
  Push(c, MakeReal(static_cast<long long>(c.stack.size())));
  return {};
}

std::string Clear(Impl& c, const std::string&) {
  c.stack.clear();
  return {};
}

std::string DropN(Impl& c, const std::string&) {
  long long n = 0;
  if (!IntArg(Level(c, 1), &n)) return kBadType;
  if (n < 0) return kBadValue;
  if (!Has(c, static_cast<size_t>(n) + 1)) return kTooFew;
  Drop(c, static_cast<size_t>(n) + 1);
  return {};
}

// PICK, ROLL and ROLLD: level 1 says which level they act on.
std::string PickRoll(Impl& c, const std::string& w) {
  long long n = 0;
  if (!IntArg(Level(c, 1), &n)) return kBadType;
  if (n < 1) return kBadValue;
  if (!Has(c, static_cast<size_t>(n) + 1)) return kTooFew;
  Drop(c, 1);
  const size_t k = static_cast<size_t>(n);
  if (w == "PICK") {
    Push(c, Level(c, k));
  } else if (w == "ROLL") {
    Obj o = Level(c, k);
    c.stack.erase(c.stack.end() - static_cast<long>(k));
    Push(c, o);
  } else {
    Obj o = Level(c, 1);
    c.stack.pop_back();
    c.stack.insert(c.stack.end() - static_cast<long>(k - 1), o);
  }
  return {};
}

std::string Evaluate(Impl& c, const std::string&) {
  Obj o = Level(c, 1);
  Drop(c, 1);
  return c.Eval(o);
}

constexpr std::array kTable = {
    BuiltinCommand{"DUP", 1, Dup},       BuiltinCommand{"DUP2", 2, Dup2},
    BuiltinCommand{"DROP", 1, DropOne},  BuiltinCommand{"DROP2", 2, DropTwo},
    BuiltinCommand{"SWAP", 2, Swap},     BuiltinCommand{"OVER", 2, Over},
    BuiltinCommand{"ROT", 3, Rot},       BuiltinCommand{"DEPTH", 0, Depth},
    BuiltinCommand{"CLEAR", 0, Clear},   BuiltinCommand{"DROPN", 1, DropN},
    BuiltinCommand{"PICK", 1, PickRoll}, BuiltinCommand{"ROLL", 1, PickRoll},
    BuiltinCommand{"ROLLD", 1, PickRoll}, BuiltinCommand{"EVAL", 1, Evaluate},
};

}  // namespace

std::span<const BuiltinCommand> StackCommands() { return kTable; }

}  // namespace dravik::sim
