// Flags and display modes: FS?, FC?, SF, CF, FIX, SCI, ENG, STD.
#include <array>

#include "builtin_table.h"
#include "object_args.h"

namespace dravik::sim {

using namespace args;
using Impl = Calculator::Impl;

namespace {

std::string FlagCommand(Impl& c, const std::string& w) {
  long long n = 0;
  if (!IntArg(Level(c, 1), &n)) return kBadType;
  const int flags = c.traits->flag_count;
  if (n == 0 || n < -flags || n > flags) return kBadValue;
  Drop(c, 1);
  // A 49's flags past 64 are taken but not kept: they read as clear.
  if (w == "SF" || w == "CF") {
    c.SetFlag(static_cast<int>(n), w == "SF");
  } else {
    bool set = c.Flag(static_cast<int>(n));
    Push(c, MakeReal((w == "FS?") == set ? 1 : 0));
  }
  return {};
}

// Display modes are accepted; the display itself always uses STD.
std::string DisplayMode(Impl& c, const std::string&) {
  long long n = 0;
  if (!IntArg(Level(c, 1), &n)) return kBadType;
  Drop(c, 1);
  return {};
}

std::string Standard(Impl&, const std::string&) { return {}; }

constexpr std::array kTable = {
    BuiltinCommand{"FS?", 1, FlagCommand}, BuiltinCommand{"FC?", 1, FlagCommand},
    BuiltinCommand{"SF", 1, FlagCommand},  BuiltinCommand{"CF", 1, FlagCommand},
    BuiltinCommand{"FIX", 1, DisplayMode}, BuiltinCommand{"SCI", 1, DisplayMode},
    BuiltinCommand{"ENG", 1, DisplayMode}, BuiltinCommand{"STD", 0, Standard},
};

}  // namespace

std::span<const BuiltinCommand> ModeCommands() { return kTable; }

}  // namespace dravik::sim
