// The command-line compiler: text as typed (8-bit characters, no
// backslash spellings) to the objects it stands for. A command line is
// compiled whole before anything runs, so one syntax error rejects it all.
#pragma once

#include <string_view>
#include <vector>

#include "hp_object.h"

namespace dravik::sim {

struct ParseOptions {
  bool decimal_comma = false;  // F(,) in a %%HP header
};

// Compiles the text into the sequence of objects a program body holds.
// Returns false on a syntax error. An unterminated string is accepted.
bool ParseObjects(std::string_view text, std::vector<Obj>* out, ParseOptions options = {});

// True when text is usable as a variable name (not a number, not a
// built-in command, no delimiters).
bool IsValidName(std::string_view text);

}  // namespace dravik::sim
