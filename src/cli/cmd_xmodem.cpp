// dravik-cli xsend FILE... / xget NAME...: files by XModem.
//
// Normally the calculator is first loaded over Kermit with the program that
// runs its XRECV or XSEND; the user presses EVAL, the port passes to the
// XModem link for the transfer and comes back to the Kermit link. With --raw
// the line is taken to carry a plain XModem peer already (any XModem
// program, or a calculator whose XSEND/XRECV was started by hand).
#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "cli/calculator_session.h"
#include "cli/calculator_text.h"
#include "cli/cli_command.h"
#include "cli/console_boundary.h"
#include "cli/interrupt.h"
#include "cli/item_checks.h"
#include "cli/server_return.h"
#include "link/runner_texts.h"
#include "link/xmodem_job.h"
#include "link/xmodem_link.h"
#include "platform/file_to_send.h"

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
  InterruptTarget interrupt(link.m_cancel);
  int ok = 0;
  if (!link.Open()) {
    std::fprintf(stderr, "dravik-cli: %s\n",
                 DescribeDeviceError(link.LastOpenError(), link.DevicePath()).c_str());
  } else {
    ok = direction == Direction::Send ? link.XModemSendList(items)
                                      : link.XModemReceiveList(items);
    link.CloseAll();
    // A peer that never started leaves the link silent; a failure still
    // has a message.
    if (!ok && window.messages_shown() == 0) CommandFailed("XModem transfer");
  }
  session.ProgressWindow = nullptr;
  session.MainWindow = nullptr;
  return ok ? 0 : 1;
}

int RunPrepared(CliContext& context, Direction direction, const std::vector<std::string>& items) {
  CalculatorSession calc(context);
  if (!calc.Connect()) return 1;
  const bool calculator_receives = direction == Direction::Send;
  // XRECV stores under a new name when the name is taken: the listing says
  // which names are.
  if (!calc.ReadListing()) return CommandFailed("reading the directory");
  TransferJob& job = calc.session().Job;
  job.Clear();
  job.TransferList = items;
  for (const std::string& item : items) {
    std::error_code error;
    uintmax_t size = calculator_receives ? std::filesystem::file_size(item, error) : 0;
    job.TransferSizes.push_back(error ? 0 : static_cast<uint32_t>(size));
  }
  job.SendJobActive = calculator_receives;
  job.ReceiveJobActive = !calculator_receives;
  job.UseXModem = true;
  const int prepared = calc.link().PrepareXModemJob(calculator_receives, &calc.cache());
  // Items left out are a failure of the command, named, whatever happens to
  // the others.
  const std::vector<std::string> refused = job.Refused;
  for (const std::string& item : refused)
    std::fprintf(stderr, "dravik-cli: not %s: %s\n", calculator_receives ? "sent" : "received",
                 ShownMessage(item).c_str());
  if (!prepared) {
    job.Clear();
    return CommandFailed("preparing the calculator for XModem");
  }
  std::fprintf(stderr, "%s\n", StartText(calc.link().model(), "transfer").c_str());
  CXModemLink xmodem(calc.session());
  const std::vector<std::string> list = job.TransferList;
  int ok = 0;
  {
    InterruptTarget interrupt(xmodem.m_cancel);
    ok = RunXModemJob(calc.link(), xmodem,
                      calculator_receives ? XModemDirection::Send : XModemDirection::Receive,
                      list);
  }
  job.Clear();
  if (!ok) {
    if (xmodem.m_neverStarted)
      AwaitServerReturn(calc, LeftServerText(calc.link().model(), "transfer"));
    return CommandFailed("XModem transfer");
  }
  calc.link().RunnerFinished();
  return refused.empty() ? 0 : 1;
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
  // A plain XModem peer may take any file name; the calculator stores under
  // calculator names only.
  if (direction == Direction::Send && context.options.raw) {
    for (const std::string& path : args) {
      if (const std::string problem = FileToSendProblem(path); !problem.empty()) {
        std::fprintf(stderr, "dravik-cli: cannot send %s: %s\n", path.c_str(), problem.c_str());
        return 2;
      }
    }
  } else if (!context.options.raw &&
             (direction == Direction::Send ? !FilesCanBeSent(args) : !AreCalculatorNames(args))) {
    return 2;
  }
  return context.options.raw ? RunRaw(context, direction, args)
                             : RunPrepared(context, direction, args);
}

int RunXSend(CliContext& context, const std::vector<std::string>& args) {
  return Run(context, args, Direction::Send);
}

int RunXGet(CliContext& context, const std::vector<std::string>& args) {
  // A plain XModem peer's names are the PC files received into.
  return Run(context, context.options.raw ? args : Typed(args), Direction::Receive);
}

}  // namespace

DRAVIK_CLI_COMMAND("xsend", "xsend FILE...",
                   "send PC files by XModem (start it on the calculator when asked)", RunXSend);
DRAVIK_CLI_COMMAND("xget", "xget NAME...",
                   "receive calculator objects by XModem (start it on the calculator when asked)",
                   RunXGet);

}  // namespace dravik::cli
