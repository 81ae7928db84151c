// dravik-cli state: the connection check.
#include <cstdio>

#include "cli/calculator_session.h"
#include "cli/calculator_text.h"
#include "link/calculator_model.h"

namespace dravik::cli {
namespace {

int RunState(CliContext& context, const std::vector<std::string>& args) {
  if (!args.empty()) {
    std::fprintf(stderr, "dravik-cli: state takes no arguments\n");
    return 2;
  }
  CalculatorSession calc(context);
  if (!calc.Connect()) return 1;
  // An HP48's listing tells an SX from a GX.
  if (calc.link().model().Family == CalculatorFamily::Hp48 && !calc.ReadListing())
    return CommandFailed("reading the directory");
  const Session& s = calc.session();
  std::printf("path: %s\nchecksum: %d\ntranslation: %d\nbinary: %d\nmodel: %s\n",
              Shown(s.CurrentHPPath).c_str(), s.Settings.ChecksumType, s.Settings.TranslationMode,
              s.BinaryMode ? 1 : 0, std::string(calc.link().model().Name).c_str());
  return 0;
}

}  // namespace

DRAVIK_CLI_COMMAND("state", "state",
                   "connection check: path, checksum type, translation code, binary flag, model",
                   RunState);

}  // namespace dravik::cli
