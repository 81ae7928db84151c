// dravik-cli mkdir NAME: a new calculator directory.
#include <cstdio>

#include "cli/calculator_session.h"
#include "cli/calculator_text.h"
#include "cli/item_checks.h"
#include "link/hp48_commands.h"

namespace dravik::cli {
namespace {

int RunMkdir(CliContext& context, const std::vector<std::string>& typed) {
  const std::vector<std::string> args = Typed(typed);
  if (args.size() != 1) {
    std::fprintf(stderr, "dravik-cli: mkdir takes one calculator name\n");
    return 2;
  }
  if (!AreCalculatorNames(args)) return 2;
  CalculatorSession calc(context);
  if (!calc.Connect()) return 1;
  // On an existing name the calculator would fail, or enter the directory.
  if (!calc.ReadListing()) return CommandFailed("reading the directory");
  if (!calc.cache().IsNewName(args[0])) {
    std::fprintf(stderr, "dravik-cli: %s already exists in %s\n", Shown(args[0]).c_str(),
                 Shown(calc.session().CurrentHPPath).c_str());
    return 1;
  }
  return calc.link().MakeHPDirectory(args[0]) ? 0 : CommandFailed("mkdir");
}

}  // namespace

DRAVIK_CLI_COMMAND("mkdir", "mkdir NAME", "make a calculator directory", RunMkdir);

}  // namespace dravik::cli
