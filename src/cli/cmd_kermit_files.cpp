// dravik-cli send FILE... / get NAME...: files by Kermit.
#include <cstdio>
#include <string>
#include <vector>

#include "cli/calculator_text.h"
#include "cli/cli_link.h"
#include "cli/connected_link.h"
#include "cli/item_checks.h"
#include "link/hp48_commands.h"
#include "link/transfer_check.h"

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

int RunSend(CliContext& context, const std::vector<std::string>& args) {
  if (!CheckItems("send", "file", args) || !FilesCanBeSent(args)) return 2;
  ConnectedLink cli(context);
  if (!cli.Connect()) return 1;
  const int sent = cli.link().SendFiles(args);
  // A taken name makes the calculator store the file as NAME.1, NAME.2, ...:
  // its acknowledgement says so.
  const std::vector<std::string>& stored = cli.link().StoredNames;
  for (size_t i = 0; i < args.size() && i < stored.size(); ++i) {
    const std::string name = args[i].substr(args[i].find_last_of('/') + 1);
    if (hp48::IsRenamedUpload(stored[i], name))
      std::fprintf(stderr, "dravik-cli: %s was stored as %s (%s was taken)\n", name.c_str(),
                   Shown(stored[i]).c_str(), ShownMessage(name).c_str());
  }
  if (!sent) return CommandFailed("send");
  // Objects in binary form are compared with the calculator's checksum.
  return CheckSentObjects(cli.link(), args) ? 0 : CommandFailed("send");
}

int RunGet(CliContext& context, const std::vector<std::string>& args) {
  const std::vector<std::string> names = Typed(args);
  if (!CheckItems("get", "name", names) || !AreCalculatorNames(names)) return 2;
  ConnectedLink cli(context);
  if (!cli.Connect()) return 1;
  const bool received = cli.link().ReceiveFiles(names) != 0;
  // What arrived before a later item failed is kept only once it is checked.
  const bool checked = CheckReceivedObjects(cli.link()) != 0;
  return received && checked ? 0 : CommandFailed("get");
}

}  // namespace

DRAVIK_CLI_COMMAND("send", "send FILE...", "send PC files to the calculator by Kermit", RunSend);
DRAVIK_CLI_COMMAND("get", "get NAME...", "receive calculator objects into -C DIR by Kermit",
                   RunGet);

}  // namespace dravik::cli
