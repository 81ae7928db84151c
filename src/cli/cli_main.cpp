// dravik-cli: the scriptable front end of the engine.
//
//   dravik-cli [--device PATH | --port N] [--baud B] [--check 1|2|3] [-C DIR]
//              [--cd PATH] [--raw] [-q] [--trace FILE] COMMAND [ARGS]
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "settings/settings_file.h"
#include "cli/cli_command.h"
#include "cli/console_boundary.h"
#include "cli/interrupt.h"
#include "link/session.h"
#include "link/trace_file.h"
#include "platform/config_folder.h"
#include "platform/serial_device.h"

using namespace dravik;
using namespace dravik::cli;

namespace {

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
  for (const CliCommand& c : AllCommands()) std::fprintf(out, "  %-24s %s\n", c.usage, c.help);
}

// A whole decimal number within [low, high]; anything else (a sign where
// none belongs, trailing text, a value that would wrap) is refused.
bool ParseNumber(const char* text, long long low, long long high, long long& out) {
  const char* end = text + std::strlen(text);
  long long v = 0;
  const auto [at, error] = std::from_chars(text, end, v);
  if (error != std::errc() || at != end || at == text || v < low || v > high) return false;
  out = v;
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  Session session;
  CliContext context{session, {}};
  GlobalOptions& o = context.options;
  int i = 1;
  auto need_value = [&](const char* opt) -> const char* {
    if (i + 1 >= argc) {
      std::fprintf(stderr, "dravik-cli: %s needs a value\n", opt);
      std::exit(2);
    }
    return argv[++i];
  };
  for (; i < argc && argv[i][0] == '-'; ++i) {
    std::string a = argv[i];
    long long n = 0;
    if (a == "--help" || a == "-h") {
      PrintUsage(stdout);
      return 0;
    } else if (a == "--device") {
      o.device = need_value("--device");
      if (o.device.empty()) {
        std::fprintf(stderr, "dravik-cli: --device needs a device path\n");
        return 2;
      }
    } else if (a == "--port") {
      if (!ParseNumber(need_value("--port"), 1, 4, n)) {
        std::fprintf(stderr, "dravik-cli: --port takes 1 to 4\n");
        return 2;
      }
      o.port = static_cast<int>(n);
    } else if (a == "--baud") {
      const char* value = need_value("--baud");
      if (!ParseNumber(value, 1, UINT32_MAX, n)) {
        std::fprintf(stderr, "dravik-cli: --baud takes a line speed such as 9600\n");
        return 2;
      }
      if (!IsSupportedSpeed(static_cast<uint32_t>(n))) {
        std::fprintf(stderr, "dravik-cli: --baud %s is not a supported line speed (%s)\n", value,
                     SupportedSpeeds().c_str());
        return 2;
      }
      o.baud = static_cast<unsigned>(n);
    } else if (a == "--check") {
      if (!ParseNumber(need_value("--check"), 1, 3, n)) {
        std::fprintf(stderr, "dravik-cli: --check takes 1, 2 or 3\n");
        return 2;
      }
      o.check = static_cast<int>(n);
    } else if (a == "-C") {
      o.folder = need_value("-C");
    } else if (a == "--cd") {
      o.cd = need_value("--cd");
    } else if (a == "--raw") {
      o.raw = true;
    } else if (a == "--trace") {
      o.trace = need_value("--trace");
    } else if (a == "-q") {
      o.quiet = true;
    } else {
      std::fprintf(stderr, "dravik-cli: unknown option %s (try --help)\n", a.c_str());
      return 2;
    }
  }
  if (i >= argc) {
    PrintUsage(stderr);
    return 2;
  }
  const CliCommand* command = FindCommand(argv[i]);
  if (!command) {
    std::fprintf(stderr, "dravik-cli: unknown command %s (try --help)\n", argv[i]);
    return 2;
  }
  std::vector<std::string> args(argv + i + 1, argv + argc);

  // Dravik.ini gives port, line speed, checksum type and translation mode
  // unless an option says otherwise (the commands apply the options). A
  // device given by name needs a valid slot to go into.
  context.settings_from_file = ReadStartupSettings(session.Settings) != 0;
  if (!o.device.empty() && (session.Settings.PortNumber < 1 || session.Settings.PortNumber > 4))
    session.Settings.PortNumber = 1;

  // Every packet and XModem block of this run goes to the trace file.
  std::unique_ptr<TraceFile> trace;
  if (!o.trace.empty()) {
    trace = std::make_unique<TraceFile>(o.trace);
    if (!trace->ok()) {
      std::fprintf(stderr, "dravik-cli: %s\n", trace->error().c_str());
      return 2;
    }
    session.Trace = trace.get();
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
