// dravik-cli rm NAME... and rmdir NAME: deleting calculator objects.
#include <algorithm>
#include <cstdio>

#include "cli/calculator_session.h"
#include "link/hp48_commands.h"

namespace dravik::cli {
namespace {

bool AllNames(const std::vector<std::string>& names) {
  for (const std::string& name : names) {
    if (!hp48::IsCalculatorName(name)) {
      std::fprintf(stderr, "dravik-cli: not a calculator name: %s (%s)\n", name.c_str(),
                   hp48::NameProblem(name).c_str());
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
  if (!AllNames(args)) return 2;
  CalculatorSession calc(context);
  if (!calc.Connect()) return 1;
  // The calculator purges a missing name without a word: the listing says
  // which names are there.
  if (!calc.ReadListing()) return CommandFailed("reading the directory");
  std::vector<std::string> present;
  bool missing = false;
  for (const std::string& name : args) {
    if (calc.cache().IsNewName(name)) {
      std::fprintf(stderr, "dravik-cli: %s is not in %s\n", name.c_str(),
                   calc.session().CurrentHPPath.c_str());
      missing = true;
    } else if (std::find(present.begin(), present.end(), name) == present.end()) {
      present.push_back(name);
    }
  }
  if (!present.empty() && !calc.link().PurgeNames(present)) return CommandFailed("rm");
  return missing ? 1 : 0;
}

int RunRmdir(CliContext& context, const std::vector<std::string>& args) {
  if (args.size() != 1) {
    std::fprintf(stderr, "dravik-cli: rmdir takes one directory name\n");
    return 2;
  }
  if (!AllNames(args)) return 2;
  CalculatorSession calc(context);
  if (!calc.Connect()) return 1;
  return calc.link().PurgeDirectory("'" + args[0] + "'") ? 0 : CommandFailed("rmdir");
}

}  // namespace

DRAVIK_CLI_COMMAND("rm", "rm NAME...", "delete calculator objects", RunRm);
DRAVIK_CLI_COMMAND("rmdir", "rmdir NAME", "delete a calculator directory with its contents",
                   RunRmdir);

}  // namespace dravik::cli
