// dravik-cli xsend FILE... / xget NAME...: files by XModem.
//
// With --raw the line is taken to carry a plain XModem peer already (any
// XModem program, or a calculator whose XSEND/XRECV was started by hand);
// the files go one transfer each, in order.
#include <cstdio>
#include <string>
#include <vector>

#include "cli/cli_command.h"
#include "cli/console_boundary.h"
#include "link/xmodem_link.h"

namespace dravik::cli {
namespace {

// Points the session's port slot at the device given on the command line.
void ApplyLineOptions(CliContext& context) {
  Session& s = context.session;
  const GlobalOptions& o = context.options;
  if (o.port) s.Settings.PortNumber = o.port;
  if (!o.device.empty()) s.PortDevices[static_cast<size_t>(s.Settings.PortNumber - 1)] = o.device;
  if (o.baud) s.Settings.BaudRate = o.baud;
}

enum class Direction { Send, Receive };

int RunRaw(CliContext& context, Direction direction, const std::vector<std::string>& items) {
  Session& session = context.session;
  ApplyLineOptions(context);
  ConsoleWindow window;
  ConsoleProgress progress(!context.options.quiet);
  session.MainWindow = &window;
  session.ProgressWindow = &progress;
  CXModemLink link(session);
  int ok = 0;
  if (!link.Open()) {
    std::fprintf(stderr, "dravik-cli: %s\n",
                 DescribeDeviceError(link.LastOpenError(), link.DevicePath()).c_str());
  } else {
    ok = direction == Direction::Send ? link.XModemSendList(items)
                                      : link.XModemReceiveList(items);
    link.CloseAll();
  }
  session.ProgressWindow = nullptr;
  session.MainWindow = nullptr;
  return ok ? 0 : 1;
}

int Run(CliContext& context, const std::vector<std::string>& args, Direction direction) {
  if (args.empty()) {
    std::fprintf(stderr, "dravik-cli: %s needs at least one %s\n",
                 direction == Direction::Send ? "xsend" : "xget",
                 direction == Direction::Send ? "file" : "name");
    return 2;
  }
  if (args.size() > TransferJob::kMaxItems) {
    std::fprintf(stderr, "dravik-cli: at most %zu items per job\n", TransferJob::kMaxItems);
    return 2;
  }
  if (!context.options.raw) {
    std::fprintf(stderr,
                 "dravik-cli: preparing the calculator for XModem is not available yet; "
                 "start XSEND/XRECV by hand and use --raw\n");
    return 2;
  }
  return RunRaw(context, direction, args);
}

int RunXSend(CliContext& context, const std::vector<std::string>& args) {
  return Run(context, args, Direction::Send);
}

int RunXGet(CliContext& context, const std::vector<std::string>& args) {
  return Run(context, args, Direction::Receive);
}

}  // namespace

DRAVIK_CLI_COMMAND("xsend", "xsend FILE...", "send PC files by XModem (--raw: no preparation)",
                   RunXSend);
DRAVIK_CLI_COMMAND("xget", "xget NAME...",
                   "receive calculator objects by XModem (--raw: no preparation)", RunXGet);

}  // namespace dravik::cli
