// dravik-cli install [--port N] [--replace] LIB: a library stored in a port
// and attached; on an HP48 the user warm-starts the calculator in between,
// and dravik-cli waits for its server.
#include <cstdio>

#include "cli/calculator_session.h"
#include "cli/calculator_text.h"
#include "cli/port_arguments.h"
#include "cli/server_return.h"
#include "link/library_install.h"
#include "link/port_texts.h"
#include "sync/calculator_tree.h"

namespace dravik::cli {
namespace {

int RunInstall(CliContext& context, const std::vector<std::string>& args) {
  PortArguments parsed;
  if (!ParsePortArguments(context, "install", args, parsed)) return 2;
  if (parsed.operands.size() != 1) {
    std::fprintf(stderr, "dravik-cli: install takes one library file\n");
    return 2;
  }
  const int port = parsed.port.value_or(0);
  CalculatorSession calc(context);
  if (!calc.Connect()) return 1;
  calc.window().AnswerQuestionsYes(parsed.replace);
  const std::string before = calc.session().CurrentHPPath;
  const LibraryInstall install = InstallLibrary(calc.link(), parsed.operands[0], port);
  if (calc.window().questions_declined() > 0)
    std::fprintf(stderr, "dravik-cli: the port's library was kept; install --replace replaces it\n");
  bool attached = install.step == InstallStep::Attached;
  if (install.step == InstallStep::NeedsWarmStart) {
    // The warm start stops the server: the connection check after it finds
    // the calculator where it restarted.
    if (!AwaitServerReturn(calc, WarmStartText(calc.link().model(), install.number, port), true))
      return 1;
    attached = calc.link().AttachLibrary(install.number) != 0;
  } else {
    sync::ReturnTo(calc.link(), before);
  }
  if (!attached) return CommandFailed("install");
  std::printf("%s\n", ShownMessage(LibraryAttachedText(install.number, port)).c_str());
  return 0;
}

}  // namespace

DRAVIK_CLI_COMMAND("install", "install [--port N] [--replace] LIB",
                   "install a library: store it in port N (default 0) and attach it; an HP48 "
                   "is warm-started on its keyboard in between",
                   RunInstall, true);

}  // namespace dravik::cli
