// The built-in objects a compiled program points to: commands, program
// delimiters, quote marks and the small number constants, for each
// model's ROM. Addresses seen in real traffic are the real ones; the
// others are stand-ins of our own (sim/README.md).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "hp_real.h"
#include "sim_model.h"

namespace dravik::sim {

constexpr uint32_t kSemi = 0x0312B;  // end of a composite (every model)

// The ROM objects a user program starts and ends with (« and »).
struct ProgramBrackets {
  uint32_t open = 0x2361E;
  uint32_t close = 0x23639;
  bool operator==(const ProgramBrackets&) const = default;
};

// What a model's ROM holds at fixed addresses.
struct RomLayout {
  ProgramBrackets brackets;
  uint32_t unit_end;     // closes a unit's operator list
  uint32_t quote_open;   // marks a quoted name in a program ('X')
  uint32_t quote_close;  // follows the quoted name; 0 when the ROM has none
  // The program after → names is held in place as « … » ending in this
  // (which also ends the local names); 0: it is a program object of its own.
  uint32_t local_body_close;
};
const RomLayout& Rom(SimModel model);

// A built-in command as a compiled program holds it: a ROM pointer, or
// for a library command an XLIB name (library and command number).
struct RomCommand {
  const char* name;
  uint32_t address;  // 0 for a library command
  uint16_t library;
  uint16_t number;
};

// The command of that name (exact case) on this model; null when none.
const RomCommand* FindCommand(std::string_view name, SimModel model);
inline bool IsCommand(std::string_view name, SimModel model) {
  return FindCommand(name, model) != nullptr;
}
// Name of the command at a ROM address, or of a library command, on any
// model; empty when none.
std::string CommandName(uint32_t address);
std::string LibraryCommandName(uint32_t library, uint32_t number);

// Whether an address is one of the marks above, on any model.
bool IsQuoteOpen(uint32_t address);
bool IsQuoteClose(uint32_t address);
bool IsUnitEnd(uint32_t address);
bool IsProgramOpen(uint32_t address);
bool IsProgramClose(uint32_t address);
bool IsLocalBodyClose(uint32_t address);
ProgramBrackets BracketsOpenedBy(uint32_t address);

// The ROM real at an address (small integers, 9600), false when none.
bool RomReal(uint32_t address, HpReal* value);
// Address of the ROM copy of a real on this model, 0 when it has none.
uint32_t RomRealAddress(const HpReal& value, SimModel model);
// The ROM exact integer at an address (-9..9 on a 49), false when none.
bool RomInteger(uint32_t address, long long* value);
uint32_t RomIntegerAddress(long long value, SimModel model);
// A global name the ROM holds (the 49's 'X'), empty when none.
std::string RomName(uint32_t address);

}  // namespace dravik::sim
