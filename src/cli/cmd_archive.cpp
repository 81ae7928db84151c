// dravik-cli archive NAME and restore FILE: backing the calculator's memory
// up to the PC and loading it back.
#include <chrono>
#include <cstdio>
#include <thread>

#include "cli/calculator_session.h"
#include "cli/calculator_text.h"
#include "cli/interrupt.h"
#include "cli/item_checks.h"
#include "cli/server_return.h"
#include "link/calculator_model.h"
#include "link/runner_texts.h"
#include "link/hp48_commands.h"
#include "link/transfer_check.h"
#include "platform/file_to_send.h"

namespace dravik::cli {
namespace {

int RunArchive(CliContext& context, const std::vector<std::string>& typed) {
  const std::vector<std::string> args = Typed(typed);
  if (args.size() != 1) {
    std::fprintf(stderr, "dravik-cli: archive takes one name for the backup\n");
    return 2;
  }
  if (!AreCalculatorNames(args)) return 2;
  CalculatorSession calc(context);
  if (!calc.Connect()) return 1;
  if (!calc.link().StartArchive(args[0])) return CommandFailed("archive");
  std::fprintf(stderr, "%s\n", StartText(calc.link().model(), "backup").c_str());
  // The calculator opens the transfer itself; the receive waits for it.
  const int ok = calc.link().ReceiveFiles({args[0]});
  calc.link().m_noInitPacket = 0;
  if (!ok) {
    if (!Interrupted() && calc.session().Leftovers)
      AwaitServerReturn(calc, LeftServerText(calc.link().model(), "backup"));
    return CommandFailed("archive");
  }
  calc.link().RunnerFinished();
  std::printf("%s\n", calc.link().OutputPath().c_str());
  return 0;
}

int RunRestore(CliContext& context, const std::vector<std::string>& args) {
  if (args.size() != 1) {
    std::fprintf(stderr, "dravik-cli: restore takes one backup file\n");
    return 2;
  }
  const std::string& file = args[0];
  const std::string name = file.substr(file.find_last_of('/') + 1);
  if (!hp48::IsCalculatorName(name)) {
    std::fprintf(stderr, "dravik-cli: %s is not a name the calculator can store (%s)\n",
                 name.c_str(), hp48::NameProblem(name).c_str());
    return 2;
  }
  if (const std::string problem = FileToSendProblem(file); !problem.empty()) {
    std::fprintf(stderr, "dravik-cli: cannot send %s: %s\n", file.c_str(), problem.c_str());
    return 2;
  }
  CalculatorSession calc(context);
  if (!calc.Connect()) return 1;
  // The calculator would store the upload as NAME.1 and the restore would
  // take the old variable.
  if (!calc.ReadListing()) return CommandFailed("reading the directory");
  if (!calc.cache().IsNewName(name)) {
    std::fprintf(stderr, "dravik-cli: %s already exists in %s; purge or rename it first\n",
                 name.c_str(), calc.session().CurrentHPPath.c_str());
    return 1;
  }
  if (!calc.link().SendFiles({file})) return CommandFailed("sending the backup");
  // A backup garbled on the way must not become the calculator's memory.
  if (!CheckSentObjects(calc.link(), {file})) return CommandFailed("sending the backup");
  std::this_thread::sleep_for(std::chrono::milliseconds(1000));
  if (!calc.link().RestoreBackup(name)) return CommandFailed("restore");
  // The calculator restarts with the restored memory, its server off.
  const std::string why = "The calculator restarts with the restored memory; its server is off "
                          "until you start it again: " +
                          std::string(calc.link().model().ServerKeys) + ".";
  return AwaitServerReturn(calc, why) ? 0 : 1;
}

}  // namespace

DRAVIK_CLI_COMMAND("archive", "archive NAME",
                   "back the calculator memory up into the PC file NAME (start it on the "
                   "calculator when asked)",
                   RunArchive);
DRAVIK_CLI_COMMAND("restore", "restore FILE",
                   "send a backup file, restore it and wait for the calculator's server",
                   RunRestore);

}  // namespace dravik::cli
