// dravik-cli cd PATH: moves the calculator to a directory.
#include <cstdio>

#include "cli/calculator_session.h"
#include "cli/calculator_text.h"

namespace dravik::cli {
namespace {

int RunCd(CliContext& context, const std::vector<std::string>& args) {
  if (args.size() != 1) {
    std::fprintf(stderr, "dravik-cli: cd takes one calculator path, such as HOME\\GAMES\\\n");
    return 2;
  }
  CalculatorSession calc(context);
  if (!calc.Connect() || !calc.ChangeTo(args[0])) return 1;
  std::printf("%s\n", Shown(calc.session().CurrentHPPath).c_str());
  return 0;
}

}  // namespace

DRAVIK_CLI_COMMAND("cd", "cd PATH", "move the calculator to a directory (HOME\\GAMES\\)", RunCd);

}  // namespace dravik::cli
