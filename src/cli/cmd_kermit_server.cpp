// dravik-cli dir / host TEXT / finish: short exchanges with the server.
#include <cstdio>
#include <string>
#include <vector>

#include "cli/cli_link.h"

namespace dravik::cli {
namespace {

void PrintText(const std::string& text) {
  std::fwrite(text.data(), 1, text.size(), stdout);
  if (!text.empty() && text.back() != '\n') std::fputc('\n', stdout);
  std::fflush(stdout);
}

int RunDir(CliContext& context, const std::vector<std::string>& args) {
  if (!args.empty()) {
    std::fprintf(stderr, "dravik-cli: dir takes no arguments\n");
    return 2;
  }
  CliLink cli(context);
  if (!cli.Open()) return 1;
  if (!cli.link().ReadDirectory()) return CommandFailed("dir");
  PrintText(cli.link().DirectoryListing);
  return 0;
}

int RunHost(CliContext& context, const std::vector<std::string>& args) {
  if (args.empty()) {
    std::fprintf(stderr, "dravik-cli: host needs the command text\n");
    return 2;
  }
  std::string text;
  for (const std::string& a : args) text += (text.empty() ? "" : " ") + a;
  CliLink cli(context);
  if (!cli.Open()) return 1;
  if (!cli.link().RunHostCommand(text)) return CommandFailed("host");
  PrintText(cli.link().HostReply);
  return 0;
}

int RunFinish(CliContext& context, const std::vector<std::string>& args) {
  if (!args.empty()) {
    std::fprintf(stderr, "dravik-cli: finish takes no arguments\n");
    return 2;
  }
  CliLink cli(context);
  if (!cli.Open()) return 1;
  return cli.link().Finish() ? 0 : CommandFailed("finish");
}

}  // namespace

DRAVIK_CLI_COMMAND("dir", "dir", "print the listing of the calculator's current directory",
                   RunDir);
DRAVIK_CLI_COMMAND("host", "host TEXT", "run TEXT on the calculator and print its reply",
                   RunHost);
DRAVIK_CLI_COMMAND("finish", "finish", "end the calculator's server mode", RunFinish);

}  // namespace dravik::cli
