// Dispatch of the built-in commands through their tables.
#include "builtin_table.h"
#include "object_args.h"

namespace dravik::sim {

namespace {

const BuiltinCommand* FindBuiltin(const std::string& word) {
  for (auto table : {StackCommands(), ArithmeticCommands(), ObjectCommands(), MemoryCommands(),
                     ModeCommands(), IoCommands(), PortCommands()}) {
    for (const BuiltinCommand& c : table) {
      if (word == c.name) return &c;
    }
  }
  return nullptr;
}

}  // namespace

std::string Calculator::Impl::Builtin(const std::string& w) {
  const BuiltinCommand* command = FindBuiltin(w);
  // Commands the simulator knows by name (the ROM table) but does not run.
  if (!command) return args::kBadType;
  if (!Has(*this, command->levels)) return args::kTooFew;
  return command->run(*this, w);
}

}  // namespace dravik::sim
