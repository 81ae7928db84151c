// dravik-cli ascii, binary and setio: the calculator's transfer settings.
#include <cstdio>
#include <cstdlib>

#include "cli/calculator_session.h"

namespace dravik::cli {
namespace {

int RunFormat(CliContext& context, const std::vector<std::string>& args, bool binary) {
  if (!args.empty()) {
    std::fprintf(stderr, "dravik-cli: %s takes no arguments\n", binary ? "binary" : "ascii");
    return 2;
  }
  CalculatorSession calc(context);
  if (!calc.Connect()) return 1;
  calc.session().BinaryMode = binary;
  return calc.link().SetTransferFormat() ? 0 : CommandFailed(binary ? "binary" : "ascii");
}

int RunAscii(CliContext& context, const std::vector<std::string>& args) {
  return RunFormat(context, args, false);
}

int RunBinary(CliContext& context, const std::vector<std::string>& args) {
  return RunFormat(context, args, true);
}

// A digit argument within [low, high], or -1.
int Digit(const std::string& text, int low, int high) {
  if (text.size() != 1 || text[0] < '0' || text[0] > '9') return -1;
  int v = text[0] - '0';
  return v >= low && v <= high ? v : -1;
}

// Pushes translation mode and checksum type: the arguments, else --check and
// the settings file.
int RunSetio(CliContext& context, const std::vector<std::string>& args) {
  if (args.size() > 2) {
    std::fprintf(stderr, "dravik-cli: setio takes [TRANSLATION 0-3 [CHECKSUM 1-3]]\n");
    return 2;
  }
  LinkSettings wanted = context.session.Settings;
  if (context.options.check) wanted.ChecksumType = context.options.check;
  if (!args.empty() && (wanted.TranslationMode = Digit(args[0], 0, 3)) < 0) {
    std::fprintf(stderr, "dravik-cli: the translation mode is 0 to 3\n");
    return 2;
  }
  if (args.size() == 2 && (wanted.ChecksumType = Digit(args[1], 1, 3)) < 0) {
    std::fprintf(stderr, "dravik-cli: the checksum type is 1 to 3\n");
    return 2;
  }
  CalculatorSession calc(context);
  if (!calc.Connect()) return 1;
  // The connection check took the calculator's values; push ours.
  calc.session().Settings.TranslationMode = wanted.TranslationMode;
  calc.session().Settings.ChecksumType = wanted.ChecksumType;
  return calc.link().SetCalculatorIO() ? 0 : CommandFailed("setio");
}

}  // namespace

DRAVIK_CLI_COMMAND("ascii", "ascii", "the calculator transfers objects as text", RunAscii);
DRAVIK_CLI_COMMAND("binary", "binary", "the calculator transfers objects in binary", RunBinary);
DRAVIK_CLI_COMMAND("setio", "setio [TRANS [CKSM]]",
                   "push translation mode and checksum type (default: Dravik.ini)", RunSetio);

}  // namespace dravik::cli
