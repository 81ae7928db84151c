// dravik-cli's command table. Each command lives in its own cmd_*.cpp and
// registers itself with DRAVIK_CLI_COMMAND, so adding one touches no other
// file.
#pragma once

#include <string>
#include <vector>

#include "link/session.h"

namespace dravik::cli {

// Options of every command, before or after the command word.
struct GlobalOptions {
  std::string device;       // --device PATH
  int port = 0;             // --port N (0: from the settings file)
  unsigned baud = 0;        // --baud B (0: from the settings file)
  int check = 0;            // --check 1|2|3 (0: default)
  std::string folder;       // -C DIR, the PC folder for received files
  std::string cd;           // --cd PATH, calculator directory to act in first
  bool raw = false;         // --raw, speak plain XModem without preparing the calculator
  bool quiet = false;       // -q, no progress line
  std::string trace;        // --trace FILE, every packet and block written there
};

struct CliContext {
  Session& session;
  GlobalOptions options;
  bool settings_from_file = false;  // the settings file was read
  // Index of the first argument that came after "--" (none: the count).
  size_t operands_from = static_cast<size_t>(-1);
};

// Whether args[index] is the command's own option word name: a word given
// after "--" never is.
bool IsOptionWord(const CliContext& context, const std::vector<std::string>& args, size_t index,
                  const char* name);

// Runs the command; returns the process exit code (0 success).
using CommandFn = int (*)(CliContext& context, const std::vector<std::string>& args);

struct CliCommand {
  const char* name;
  const char* usage;  // e.g. "send FILE..."
  const char* help;   // one line
  CommandFn run;
  // "--port N" after the command word names a calculator port (send
  // --port 2): the serial port slot is then given before the command word.
  bool calculator_port = false;
};

void RegisterCommand(const CliCommand& command);
const CliCommand* FindCommand(const std::string& name);
std::vector<CliCommand> AllCommands();

struct CommandRegistrar {
  explicit CommandRegistrar(const CliCommand& command) { RegisterCommand(command); }
};

}  // namespace dravik::cli

#define DRAVIK_CLI_CONCAT2(a, b) a##b
#define DRAVIK_CLI_CONCAT(a, b) DRAVIK_CLI_CONCAT2(a, b)
#define DRAVIK_CLI_COMMAND(...)                                                   \
  static const ::dravik::cli::CommandRegistrar DRAVIK_CLI_CONCAT(cli_registrar_, \
                                                                  __LINE__)({__VA_ARGS__})
