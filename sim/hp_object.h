// HP48 objects as the simulated calculator holds them, with their exact
// memory form: Encode writes the nibbles (prolog first), Decode walks them
// the way the calculator does to find where an object ends.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "hp_real.h"
#include "nibbles.h"
#include "rom_table.h"

namespace dravik::sim {

enum class Kind : uint8_t {
  Real, Complex, String, List, Program, Algebraic, BinInt, Grob, Unit,
  GlobalName, LocalName, Tagged, Directory,
  Integer,          // the 49's exact integer
  SymbolicMatrix,   // the 49's array of any objects ([ 1 2 ])
  Command,  // a built-in command (a ROM pointer, or an XLIB name)
  RomPtr,   // a pointer to a ROM object we do not know
  Raw,      // any other type, kept as its nibbles (arrays, code, libraries…)
};

constexpr uint32_t kPrologReal = 0x02933, kPrologComplex = 0x02977,
                   kPrologString = 0x02A2C, kPrologList = 0x02A74,
                   kPrologProgram = 0x02D9D, kPrologAlgebraic = 0x02AB8,
                   kPrologBinInt = 0x02A4E, kPrologGrob = 0x02B1E,
                   kPrologUnit = 0x02ADA, kPrologGlobal = 0x02E48,
                   kPrologLocal = 0x02E6D, kPrologTagged = 0x02AFC,
                   kPrologDirectory = 0x02A96, kPrologLibrary = 0x02B40,
                   kPrologBackup = 0x02B62, kPrologCode = 0x02DCC,
                   kPrologArray = 0x029E8, kPrologSysBin = 0x02911,
                   kPrologInteger = 0x02614, kPrologSymbolicMatrix = 0x02686,
                   kPrologXlib = 0x02E92;

struct Object;
using Obj = std::shared_ptr<Object>;

struct DirEntry {
  std::string name;  // empty for the calculator's hidden directory
  Obj obj;
};

struct Object {
  Kind kind = Kind::Real;
  uint32_t rom = 0;  // nonzero: inside a composite it is this ROM pointer
  HpReal re, im;
  std::string text;  // String bytes, name, tag, command name, Integer digits ("-12")
  std::vector<Obj> items;  // composites; Tagged holds one
  bool delimited = true;   // Program: starts with « and ends with »
  ProgramBrackets brackets;  // Program: the ROM objects its « and » are
  // Program: a → body held in place inside its program (« … » with no
  // prolog and no SEMI), as a 49 holds it.
  bool embedded = false;
  std::vector<DirEntry> entries;  // Directory, oldest first
  uint32_t library = 0x7FF;       // Directory: attached library
  uint32_t width = 0, height = 0; // Grob
  Nibbles data;  // BinInt digits, Grob rows; library Command: its XLIB body; Raw: all

  const Object& Untagged() const;
};

Obj MakeReal(const HpReal& r);
Obj MakeReal(long long v);
Obj MakeComplex(const HpReal& re, const HpReal& im);
Obj MakeString(std::string s);
Obj MakeName(std::string name, bool local = false);
// A built-in command of the model; null when it has no such command.
Obj MakeCommand(const std::string& name, SimModel model = SimModel::k48GX);
// A command of a library in a port: its XLIB name, shown as its name.
Obj MakeLibraryCommand(const std::string& name, uint32_t library, uint32_t number);
// An exact integer from its decimal digits with an optional '-'.
Obj MakeInteger(std::string digits);
Obj MakeInteger(long long value);
Obj MakeComposite(Kind kind, std::vector<Obj> items);
Obj MakeTagged(std::string tag, Obj obj);
Obj MakeBinInt(uint64_t value);
Obj MakeGrob(uint32_t width, uint32_t height);  // blank
Obj MakeDirectory();
Obj MakeRaw(Nibbles nibbles);

// A copy that shares nothing mutable (directories are copied deeply).
Obj Clone(const Obj& obj);
// The object with every tag around it removed (STO, uploads).
Obj StripTags(const Obj& obj);

void Encode(const Object& obj, Nibbles& out, bool as_element = false);
Nibbles Encode(const Object& obj);
// Reads one object at pos; advances pos past it. Null on malformed data.
Obj Decode(const Nibbles& in, size_t& pos);
// Reads the binary transfer form whose header starts with prefix;
// trailing bytes and the pad are ignored.
Obj DecodeBinaryFile(const Bytes& file, std::string_view prefix = "HPHP48-");

// Whether a command is one of a library in a port (an XLIB name no ROM
// library of ours names), which runs from that library.
bool IsPortLibraryCommand(const Object& obj);
// Whether a built-in command is a function (it can stand in an algebraic).
bool IsFunction(const Object& obj);
// "Real Number", "Directory", … as the listing spells them.
std::string TypeWord(const Object& obj);
// HP's TYPE number.
int TypeNumber(const Object& obj);

// Directory entries by name (visible ones only).
DirEntry* FindEntry(Object& dir, const std::string& name);
const DirEntry* FindEntry(const Object& dir, const std::string& name);

}  // namespace dravik::sim
