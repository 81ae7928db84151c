// dravik-cli state: the connection check.
#include <cstdio>

#include "cli/calculator_session.h"

namespace dravik::cli {
namespace {

int RunState(CliContext& context, const std::vector<std::string>& args) {
  if (!args.empty()) {
    std::fprintf(stderr, "dravik-cli: state takes no arguments\n");
    return 2;
  }
  CalculatorSession calc(context);
  if (!calc.Connect()) return 1;
  const Session& s = calc.session();
  std::printf("path: %s\nchecksum: %d\ntranslation: %d\nbinary: %d\n", s.CurrentHPPath.c_str(),
              s.Settings.ChecksumType, s.Settings.TranslationMode, s.BinaryMode ? 1 : 0);
  return 0;
}

}  // namespace

DRAVIK_CLI_COMMAND("state", "state",
                   "connection check: path, checksum type, translation code, binary flag",
                   RunState);

}  // namespace dravik::cli
