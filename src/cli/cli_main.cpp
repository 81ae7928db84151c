// dravik-cli: the scriptable front end of the engine.
//
//   dravik-cli [--device PATH | --port N] [--baud B] [--check 1|2|3] [-C DIR]
//              [--cd PATH] [--raw] [-q] [--trace FILE] COMMAND [ARGS]
#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "settings/settings_file.h"
#include "cli/cli_command.h"
#include "cli/command_line.h"
#include "cli/console_boundary.h"
#include "cli/interrupt.h"
#include "link/session.h"
#include "link/trace_file.h"
#include "platform/config_folder.h"

using namespace dravik;
using namespace dravik::cli;

namespace {

constexpr size_t kHelpWidth = 79;

// Writes text from column `column` on, breaking between words before
// kHelpWidth and going on at column `indent`; returns the column it ends in.
size_t PutWrapped(std::FILE* out, const std::string& text, size_t column, size_t indent) {
  const size_t start = column;
  for (size_t at = 0; at < text.size();) {
    const size_t end = std::min(text.find(' ', at), text.size());
    const size_t length = end - at;
    if (column > start && column + 1 + length > kHelpWidth) {
      std::fprintf(out, "\n%*s", static_cast<int>(indent), "");
      column = indent;
    } else if (column > start) {
      std::fputc(' ', out);
      ++column;
    }
    std::fwrite(text.data() + at, 1, length, out);
    column += length;
    at = end + 1;
  }
  return column;
}

// One command of the list: the synopsis in the first 24 columns (a longer
// one gets a line of its own) and the description beside it, so the list
// reads on an 80-column terminal.
void PrintCommand(std::FILE* out, const CliCommand& c) {
  constexpr size_t kIndent = 27;
  std::fputs("  ", out);
  size_t column = PutWrapped(out, c.usage, 2, 6);
  if (column > kIndent - 1) {
    std::fputc('\n', out);
    column = 0;
  }
  std::fprintf(out, "%*s", static_cast<int>(kIndent - column), "");
  PutWrapped(out, c.help, kIndent, kIndent);
  std::fputc('\n', out);
}

void PrintUsage(std::FILE* out) {
  std::fprintf(out,
               "Usage: dravik-cli [--device PATH | --port N] [--baud B] [--check 1|2|3]\n"
               "                  [-C DIR] [--cd PATH] [--raw] [-q] [--trace FILE]\n"
               "                  COMMAND [ARGS]\n\n"
               "Moves files between this computer and an HP48 calculator in Kermit\n"
               "server mode on a serial line.\n\n"
               "--check N  the Kermit block check offered: 3 (the default unless the\n"
               "           settings file names one) is a CRC that lets about one damaged\n"
               "           packet in 65536 through; 1 and 2 are sums, shorter by 2 and 1\n"
               "           characters a packet, that let about one in 64 and one in 4096\n"
               "           through. A server that cannot do the type offered answers\n"
               "           with its own.\n"
               "--cd PATH  the calculator directory send, get, dir, host and the other\n"
               "           calculator commands act in.\n\nCommands:\n");
  for (const CliCommand& c : AllCommands()) PrintCommand(out, c);
}

}  // namespace

int main(int argc, char** argv) {
  CommandLine line;
  if (!ParseCommandLine(argc, argv, &line)) return 2;
  if (line.help) {
    PrintUsage(stdout);
    return 0;
  }
  if (line.command.empty()) {
    PrintUsage(stderr);
    return 2;
  }
  const CliCommand* command = FindCommand(line.command);
  if (!command) {
    std::fprintf(stderr, "dravik-cli: unknown command %s (try --help)\n", line.command.c_str());
    return 2;
  }
  Session session;
  CliContext context{session, line.options};
  context.operands_from = line.operands_from;
  const GlobalOptions& o = context.options;
  const std::vector<std::string>& args = line.args;

  // Dravik.ini gives port, line speed, checksum type and translation mode
  // unless an option says otherwise (the commands apply the options). A
  // device given by name needs a valid slot to go into.
  context.settings_from_file = ReadStartupSettings(session.Settings) != 0;
  if (!o.device.empty() && (session.Settings.PortNumber < 1 || session.Settings.PortNumber > 4))
    session.Settings.PortNumber = 1;

  // Every packet and XModem block of this run goes to the trace file.
  std::shared_ptr<TraceFile> trace;
  if (!o.trace.empty()) {
    trace = std::make_shared<TraceFile>(o.trace);
    if (!trace->ok()) {
      std::fprintf(stderr, "dravik-cli: %s\n", trace->error().c_str());
      return 2;
    }
    session.Trace = trace;
  }

  std::string folder = o.folder.empty() ? std::string(".") : o.folder;
  if (folder.back() != '/') folder += '/';
  session.CurrentPCFolder = folder;
  InstallInterruptHandlers();
  const int result = command->run(context, args);
  session.Trace = nullptr;
  if (Interrupted()) {
    std::fprintf(stderr, "dravik-cli: interrupted\n");
    return kInterruptedExit;
  }
  return result;
}
