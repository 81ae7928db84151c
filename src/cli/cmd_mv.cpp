// dravik-cli mv [--replace] NAME... DEST: moving calculator objects to another
// directory.
#include <cstdio>

#include "cli/calculator_session.h"
#include "cli/calculator_text.h"
#include "cli/item_checks.h"

namespace dravik::cli {
namespace {

int RunMv(CliContext& context, const std::vector<std::string>& arguments) {
  std::vector<std::string> args = arguments;
  const bool replace = IsOptionWord(context, args, 0, "--replace");
  if (replace) args.erase(args.begin());
  if (args.size() < 2) {
    std::fprintf(stderr, "dravik-cli: mv needs names and a destination path\n");
    return 2;
  }
  const std::vector<std::string> names = Typed({args.begin(), args.end() - 1});
  if (names.size() > TransferJob::kMaxItems) {
    std::fprintf(stderr, "dravik-cli: at most %zu items per job\n", TransferJob::kMaxItems);
    return 2;
  }
  if (!AreCalculatorNames(names)) return 2;
  CalculatorSession calc(context);
  if (!calc.Connect()) return 1;
  Session& s = calc.session();
  const std::string destination = ResolveCalculatorPath(args.back(), s.CurrentHPPath);
  if (destination.empty()) {
    std::fprintf(stderr, "dravik-cli: not a calculator path: %s\n", args.back().c_str());
    return 2;
  }
  // An object of the same name in the destination is replaced only when
  // the command line says so.
  calc.window().AnswerQuestionsYes(replace);
  s.Job.Clear();
  s.Job.TransferList = names;
  s.Job.ReceiveJobActive = true;
  const int ok = calc.link().MoveObjects(destination);
  s.Job.Clear();
  if (!ok && calc.window().questions_declined() > 0)
    std::fprintf(stderr, "dravik-cli: nothing was moved; mv --replace replaces them\n");
  return ok ? 0 : CommandFailed("mv");
}

}  // namespace

DRAVIK_CLI_COMMAND("mv", "mv [--replace] NAME... DEST",
                   "move calculator objects to the directory DEST", RunMv);

}  // namespace dravik::cli
