// dravik-cli rm NAME... and rmdir NAME: deleting calculator objects.
#include <cstdio>

#include "cli/calculator_session.h"
#include "link/hp48_commands.h"

namespace dravik::cli {
namespace {

bool AllPlain(const std::vector<std::string>& names) {
  for (const std::string& name : names) {
    if (!hp48::IsPlainName(name)) {
      std::fprintf(stderr, "dravik-cli: not a calculator name: %s\n", name.c_str());
      return false;
    }
  }
  return true;
}

int RunRm(CliContext& context, const std::vector<std::string>& args) {
  if (args.empty()) {
    std::fprintf(stderr, "dravik-cli: rm needs at least one name\n");
    return 2;
  }
  if (!AllPlain(args)) return 2;
  std::string list = "{";
  for (const std::string& name : args) list += name + " ";
  list += "}";
  CalculatorSession calc(context);
  if (!calc.Connect()) return 1;
  return calc.link().PurgeObjects(list) ? 0 : CommandFailed("rm");
}

int RunRmdir(CliContext& context, const std::vector<std::string>& args) {
  if (args.size() != 1) {
    std::fprintf(stderr, "dravik-cli: rmdir takes one directory name\n");
    return 2;
  }
  if (!AllPlain(args)) return 2;
  CalculatorSession calc(context);
  if (!calc.Connect()) return 1;
  return calc.link().PurgeDirectory("'" + args[0] + "'") ? 0 : CommandFailed("rmdir");
}

}  // namespace

DRAVIK_CLI_COMMAND("rm", "rm NAME...", "delete calculator objects", RunRm);
DRAVIK_CLI_COMMAND("rmdir", "rmdir NAME", "delete a calculator directory with its contents",
                   RunRmdir);

}  // namespace dravik::cli
