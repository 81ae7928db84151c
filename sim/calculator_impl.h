// The calculator's state and its interpreter (shared by calculator.cpp,
// interpreter.cpp and memory_file.cpp).
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "calculator.h"
#include "hp_object.h"
#include "ports.h"
#include "rpl_parser.h"

namespace dravik::sim {

struct Calculator::Impl {
  SimModel model;
  const ModelTraits* traits;
  Obj home = MakeDirectory();
  std::vector<std::string> path;  // directory names below HOME
  std::vector<Obj> stack;         // back() is level 1
  uint64_t system_flags = 0;      // bit k-1 is flag -k
  uint64_t user_flags = 0;
  std::vector<std::vector<std::pair<std::string, Obj>>> locals;
  Ports ports;
  // Libraries attached to HOME (a subdirectory keeps its one in its
  // memory form, Object::library).
  std::vector<uint32_t> home_libraries;
  CalculatorIo* io = nullptr;
  // Nesting of programs and library calls; deeper is Insufficient Memory.
  static constexpr int kMaxDepth = 150;
  int depth = 0;
  long steps = 0;

  explicit Impl(SimModel m);
  Object& Cwd();
  const Object& Cwd() const;
  // HOME and the directories of the path below it, down to the current one.
  std::vector<const Object*> DirectoryChain() const;

  // Runs a command line; returns the reply text.
  std::string CommandLine(std::string_view text, CalculatorIo* io);
  // Evaluates an object as EVAL does. Empty on success, else the error.
  std::string Eval(const Obj& obj);
  std::string Run(const std::vector<Obj>& items, size_t begin, size_t end);

  // Settings held in IOPAR; defaults when it is missing or malformed.
  int IoparEntry(int index, int fallback) const;
  std::string SetIoparEntry(int index, long long value);
  bool Flag(int n) const;
  void SetFlag(int n, bool on);

  // Variables.
  Obj Lookup(const std::string& name, std::vector<std::string>* found_in = nullptr) const;
  std::string Store(const std::string& name, const Obj& value);
  // Libraries: the one of that number in a port (on a model that installs
  // them at a warm start, an installed one), and where it is; null when none.
  const Object* FindLibrary(uint32_t number, long long* port = nullptr) const;
  // The libraries attached to the current directory, and the commands of
  // those attached to it or to a directory above it (what a name compiles to).
  std::vector<uint32_t> AttachedHere() const;
  std::vector<AttachedCommand> VisibleLibraryCommands() const;
  // Runs a command of a library (an XLIB name).
  std::string RunLibraryCommand(const Object& xlib);
  // ON+C: the stack and the current directory reset; libraries installed,
  // detached or attached as the model's warm start does.
  void WarmStart();

  // Compiles text as this model reads it.
  bool Compile(std::string_view text, std::vector<Obj>* out, bool decimal_comma = false) const;
  // An uploaded text file without a binary header: one object as itself,
  // several as a program without « »; null when it does not compile.
  Obj CompileUpload(const std::string& text, int transio, bool comma) const;
  // The binary file form of an object, with the model's header.
  Bytes BinaryFile(const Object& obj) const;

  // Free memory in nibbles: the model's user memory less every variable and
  // every stack object (`not_counted` aside: an object about to move from
  // the stack into a variable). Never below 0.
  uint64_t FreeNibbles(const Object* not_counted = nullptr) const;
  double FreeBytes() const { return static_cast<double>(FreeNibbles()) / 2; }
  // What follows a variable's object in memory: the rest of its
  // directory, then HOME again (XSEND's fill on a 49).
  Nibbles MemoryAfter(const std::string& name) const;
  Obj BackupObject() const;
  std::string Restore(const Object& backup);

  std::string StackText(int transio) const;
  std::string Builtin(const std::string& name);
};

// Size in nibbles of a variable's directory entry with its object.
uint64_t EntryNibbles(const std::string& name, const Object& obj);

}  // namespace dravik::sim
