// The built-in commands as a table: each entry names a command, the stack
// levels it needs, and its handler. Builtin() looks the word up and checks
// the level count once, so a handler may take its arguments for granted.
// Every handler checks its arguments before taking them, so a failing
// command leaves the stack as it found it (the calculator puts the
// arguments back the same way).
#pragma once

#include <span>
#include <string>

#include "calculator_impl.h"

namespace dravik::sim {

struct BuiltinCommand {
  const char* name;
  size_t levels;  // stack levels the command needs before it runs
  // Runs the command; `word` is its name, so one handler can serve a
  // family of commands. Empty on success, else the error.
  std::string (*run)(Calculator::Impl& calc, const std::string& word);
};

// The tables, one per kind of command.
std::span<const BuiltinCommand> StackCommands();       // builtins_stack.cpp
std::span<const BuiltinCommand> ArithmeticCommands();  // builtins_arithmetic.cpp
std::span<const BuiltinCommand> ObjectCommands();      // builtins_objects.cpp
std::span<const BuiltinCommand> MemoryCommands();      // builtins_memory.cpp
std::span<const BuiltinCommand> ModeCommands();        // builtins_modes.cpp
std::span<const BuiltinCommand> IoCommands();          // builtins_io.cpp
std::span<const BuiltinCommand> PortCommands();        // builtins_ports.cpp

// The port forms of STO, RCL, VTYPE and PURGE (builtins_ports.cpp), for a
// name tagged with a port number or & (:1:NAME, :&:NAME, :0:1234). STO
// also stores a library into a port given by number. The levels are there.
bool IsPortArgument(const Object& arg);
std::string StoreInPort(Calculator::Impl& c);
std::string RecallFromPort(Calculator::Impl& c);
std::string PortVariableType(Calculator::Impl& c);
// PURGE checks every name before it purges any: the error one gives.
std::string CheckPortPurge(const Calculator::Impl& c, const Object& name);
void PurgeFromPort(Calculator::Impl& c, const Object& name);

// Stack access for the handlers; level 1 is the top.
inline Obj& Level(Calculator::Impl& c, size_t level) { return c.stack[c.stack.size() - level]; }
inline void Drop(Calculator::Impl& c, size_t n) { c.stack.resize(c.stack.size() - n); }
inline void Push(Calculator::Impl& c, Obj o) { c.stack.push_back(std::move(o)); }
inline bool Has(const Calculator::Impl& c, size_t n) { return c.stack.size() >= n; }

}  // namespace dravik::sim
