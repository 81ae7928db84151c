// dravik-cli's command line: the global options, the command word and the
// command's own words. The global options may stand before or after the
// command word, as people type them with GNU tools; a "--" ends them, so
// that a file named like an option can still be given. After the word of a
// command that stores into the calculator's ports, "--port N" is that
// command's own (the calculator port).
#pragma once

#include <string>
#include <vector>

#include "cli/cli_command.h"

namespace dravik::cli {

struct CommandLine {
  GlobalOptions options;
  bool help = false;              // --help or -h: print the usage and stop
  std::string command;            // empty when none was given
  std::vector<std::string> args;  // the command's words, in their order, without "--"
  // Index in args of the first word that followed "--" (args.size() when
  // there was none): such words are never options, the command's own included.
  size_t operands_from = 0;
};

// Reads argv into *line. On a bad option, prints why to stderr and returns
// false; the exit code is then 2.
bool ParseCommandLine(int argc, const char* const* argv, CommandLine* line);

}  // namespace dravik::cli
