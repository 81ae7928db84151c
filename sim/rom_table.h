// The built-in objects a compiled program points to: commands, program
// delimiters and the small real constants. Addresses seen in real traffic
// are the real ones; the others are stand-ins of our own (sim/README.md).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "hp_real.h"

namespace dravik::sim {

constexpr uint32_t kSemi = 0x0312B;         // end of a composite
constexpr uint32_t kProgramStart = 0x2361E; // first element of a user program
constexpr uint32_t kProgramEnd = 0x23639;   // last element before SEMI
constexpr uint32_t kUnitEnd = 0x10B86;      // closes a unit's operator list
constexpr uint32_t kQuote = 0x6EFF0;        // marks a quoted name in a program

// Address of a built-in command by its name (exact case), 0 when none.
uint32_t CommandAddress(std::string_view name);
// Name of the built-in command at an address, empty when none.
std::string CommandName(uint32_t address);
// The ROM real at an address (small integers, 9600), false when none.
bool RomReal(uint32_t address, HpReal* value);
// Address of the ROM copy of a real, 0 when the ROM has none.
uint32_t RomRealAddress(const HpReal& value);

}  // namespace dravik::sim
