// The command-line compiler: text as typed (8-bit characters, no
// backslash spellings) to the objects it stands for. A command line is
// compiled whole before anything runs, so one syntax error rejects it all.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "hp_object.h"
#include "sim_model.h"

namespace dravik::sim {

// A visible command of a library attached where the text is compiled: its
// name compiles to an XLIB name (library and command number).
struct AttachedCommand {
  std::string name;
  uint32_t library = 0;
  uint32_t number = 0;
};

struct ParseOptions {
  bool decimal_comma = false;  // F(,) in a %%HP header
  // Whose command set, ROM addresses and number forms the text is read
  // with (a 49 reads "5" as an exact integer).
  SimModel model = SimModel::k48GX;
  const std::vector<AttachedCommand>* library_commands = nullptr;
};

// Compiles the text into the sequence of objects a program body holds.
// Returns false on a syntax error. An unterminated string is accepted.
bool ParseObjects(std::string_view text, std::vector<Obj>* out, ParseOptions options = {});

// True when text is usable as a variable name on the model (not a number,
// not one of its built-in commands, no delimiters).
bool IsValidName(std::string_view text, SimModel model = SimModel::k48GX);

}  // namespace dravik::sim
