// dravik-cli dir / host TEXT / host --file FILE / finish: short exchanges
// with the server.
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "cli/calculator_text.h"
#include "cli/cli_link.h"
#include "cli/connected_link.h"
#include "link/calculator_model.h"
#include "link/hp48_commands.h"

namespace dravik::cli {
namespace {

// A program read with --file can never fit one packet beyond this.
constexpr size_t kMaxCommandFile = 64 * 1024;

// The text of a command file, without the line end that closes it. False,
// after saying why, when it is not a readable regular file.
bool ReadCommandFile(const std::string& path, std::string& text) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  struct stat st {};
  if (!file || ::fstat(::fileno(file), &st) != 0 || !S_ISREG(st.st_mode)) {
    std::fprintf(stderr, "dravik-cli: cannot read %s: %s\n", path.c_str(),
                 file ? "not a regular file" : std::strerror(errno));
    if (file) std::fclose(file);
    return false;
  }
  char buffer[4096];
  size_t n = 0;
  while (text.size() <= kMaxCommandFile && (n = std::fread(buffer, 1, sizeof buffer, file)) > 0)
    text.append(buffer, n);
  const bool failed = std::ferror(file) != 0;
  std::fclose(file);
  if (failed) {
    std::fprintf(stderr, "dravik-cli: cannot read %s\n", path.c_str());
    return false;
  }
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
  return true;
}

// The command: the arguments joined by blanks (one of them may hold line
// breaks, a program for example), or the content of --file FILE.
bool CommandText(const CliContext& context, const std::vector<std::string>& args,
                 std::string& text) {
  if (args.empty()) {
    std::fprintf(stderr, "dravik-cli: host needs the command text\n");
    return false;
  }
  if (IsOptionWord(context, args, 0, "--file")) {
    if (args.size() != 2) {
      std::fprintf(stderr, "dravik-cli: host --file takes one file\n");
      return false;
    }
    if (!ReadCommandFile(args[1], text)) return false;
  } else {
    for (const std::string& a : args) text += (text.empty() ? "" : " ") + a;
  }
  // What the user types in UTF-8 or spelled (« or \<<, → or \->) goes as
  // the calculator's characters, whatever the locale.
  text = Typed(text);
  return true;
}

int RunDir(CliContext& context, const std::vector<std::string>& args) {
  if (!args.empty()) {
    std::fprintf(stderr, "dravik-cli: dir takes no arguments\n");
    return 2;
  }
  ConnectedLink cli(context);
  if (!cli.Connect()) return 1;
  if (!cli.link().ReadDirectory()) return CommandFailed("dir");
  PrintCalculatorText(cli.link().DirectoryListing);
  return 0;
}

int RunHost(CliContext& context, const std::vector<std::string>& args) {
  std::string text;
  if (!CommandText(context, args, text)) return 2;
  ConnectedLink cli(context);
  if (!cli.Connect()) return 1;
  if (!cli.link().RunHostCommand(text)) return CommandFailed("host");
  const std::string& reply = cli.link().HostReply;
  PrintCalculatorText(reply);
  // An HP49 shows at most 22 characters of a value: say which are cut.
  for (int level : hp48::CutLevels(reply, Hp49Model().StackValueWidth))
    std::fprintf(stderr,
                 "dravik-cli: level %d is cut short: the calculator shows at most %zu characters "
                 "of a value (store it and get it for the whole)\n",
                 level, Hp49Model().StackValueWidth);
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
DRAVIK_CLI_COMMAND("host", "host TEXT | --file FILE",
                   "run TEXT (or the program in FILE) on the calculator, print its reply",
                   RunHost);
DRAVIK_CLI_COMMAND("finish", "finish", "end the calculator's server mode", RunFinish);

}  // namespace dravik::cli
