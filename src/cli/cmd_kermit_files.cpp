// dravik-cli send FILE... / get NAME...: files by Kermit, also into and out
// of the calculator's ports (send --port N, get :N:NAME).
#include <cstdio>
#include <string>
#include <vector>

#include "cli/calculator_text.h"
#include "cli/cli_link.h"
#include "cli/connected_link.h"
#include "cli/item_checks.h"
#include "cli/port_arguments.h"
#include "link/hp48_commands.h"
#include "link/transfer_check.h"
#include "listing/hp_path.h"

namespace dravik::cli {
namespace {

bool CheckItems(const char* command, const char* item, const std::vector<std::string>& args) {
  if (args.empty()) {
    std::fprintf(stderr, "dravik-cli: %s needs at least one %s\n", command, item);
    return false;
  }
  if (args.size() > TransferJob::kMaxItems) {
    std::fprintf(stderr, "dravik-cli: at most %zu items per job\n", TransferJob::kMaxItems);
    return false;
  }
  return true;
}

int RunSend(CliContext& context, const std::vector<std::string>& arguments) {
  PortArguments parsed;
  if (!ParsePortArguments(context, "send", arguments, parsed)) return 2;
  const std::vector<std::string>& args = parsed.operands;
  if (!CheckItems("send", "file", args) || !FilesCanBeSent(args)) return 2;
  ConnectedLink cli(context);
  if (!cli.Connect(parsed.port.has_value())) return 1;
  PortVisit visit(cli.calculator(), parsed.port);
  if (!visit.Entered()) return CommandFailed("send");
  cli.calculator().window().AnswerQuestionsYes(parsed.replace);
  const int sent = cli.link().SendFiles(args);
  // A taken name makes the calculator store the file as NAME.1, NAME.2, ...:
  // its acknowledgement says so.
  const std::vector<std::string>& stored = cli.link().StoredNames;
  for (size_t i = 0; i < args.size() && i < stored.size() && !parsed.port; ++i) {
    const std::string name = args[i].substr(args[i].find_last_of('/') + 1);
    if (hp48::IsRenamedUpload(stored[i], name))
      std::fprintf(stderr, "dravik-cli: %s was stored as %s (%s was taken)\n", name.c_str(),
                   Shown(stored[i]).c_str(), ShownMessage(name).c_str());
  }
  if (cli.calculator().window().questions_declined() > 0) {
    if (parsed.port)
      std::fprintf(stderr, "dravik-cli: the port's object was kept; send --replace replaces it\n");
    else
      std::fprintf(stderr, "dravik-cli: what is neither text nor an object was left out; after "
                           "dravik-cli binary it is stored as a String\n");
    return 1;
  }
  if (!sent) return CommandFailed("send");
  // Objects in binary form are compared with the calculator's checksum.
  return CheckSentObjects(cli.link(), args) ? 0 : CommandFailed("send");
}

int RunGet(CliContext& context, const std::vector<std::string>& args) {
  const std::vector<std::string> typed = Typed(args);
  if (!CheckItems("get", "name", typed)) return 2;
  ConnectedLink cli(context);
  Session& session = context.session;
  const std::vector<NamesInPlace> places = GroupByPlace(typed, session.CurrentHPPath);
  for (const NamesInPlace& place : places)
    if (!AreCalculatorNames(place.names)) return 2;
  if (!cli.Connect(NamesAPort(typed))) return 1;
  bool ok = true;
  for (const NamesInPlace& place : places) {
    const bool port = hp_path::IsPort(place.path);
    PortVisit visit(cli.calculator(), port ? hp_path::PortOf(place.path) : std::nullopt);
    if (!visit.Entered()) return CommandFailed("get");
    const bool received = cli.link().ReceiveFiles(place.names) != 0;
    // What arrived before a later item failed is kept only once it is checked.
    const bool checked = CheckReceivedObjects(cli.link()) != 0;
    ok = ok && received && checked;
    if (!received) break;
  }
  return ok ? 0 : CommandFailed("get");
}

}  // namespace

DRAVIK_CLI_COMMAND("send", "send [--port N [--replace]] FILE...",
                   "send PC files to the calculator by Kermit; --port N stores them in port N",
                   RunSend, true);
DRAVIK_CLI_COMMAND("get", "get NAME|:N:NAME...",
                   "receive calculator objects (:N:NAME from port N) into -C DIR by Kermit",
                   RunGet);

}  // namespace dravik::cli
