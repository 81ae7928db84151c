// dravik-cli compare PCDIR: the calculator directory (--cd, else the
// current one) and everything below it against a PC folder.
#include <cstdio>

#include "cli/calculator_session.h"
#include "cli/calculator_text.h"
#include "cli/sync_output.h"

namespace dravik::cli {
namespace {

int RunCompare(CliContext& context, const std::vector<std::string>& args) {
  SyncArguments parsed;
  if (!ParseSyncArguments("compare", args, context.operands_from, "--fetch-unknown", parsed))
    return 2;
  CalculatorSession calc(context);
  if (!calc.Connect()) return 2;
  std::string note;
  const std::string root = calc.session().CurrentHPPath;
  const std::string folder = parsed.folder.back() == '/' ? parsed.folder : parsed.folder + "/";
  const sync::SyncManifest manifest = sync::SyncManifest::Load(folder, root, &note);
  if (!note.empty()) std::fprintf(stderr, "dravik-cli: %s\n", ShownMessage(note).c_str());
  sync::CompareOptions options;
  options.fetch_unknown = parsed.fetch_unknown;
  options.report = StepsOnStderr(context.options.quiet);
  if (parsed.fetch_unknown)
    std::fprintf(stderr,
                 "dravik-cli: files in text form are sent to the calculator under a temporary "
                 "name to be compared, and purged there again\n");
  const sync::Comparison comparison = sync::Compare(calc.link(), root, folder, manifest, options);
  if (!comparison.ok) {
    std::fprintf(stderr, "dravik-cli: %s\n", ShownMessage(comparison.error).c_str());
    return 2;
  }
  PrintComparison(comparison);
  return comparison.AllSame() ? 0 : 1;
}

}  // namespace

DRAVIK_CLI_COMMAND("compare", "compare [--fetch-unknown] PCDIR",
                   "compare the calculator directory and its subdirectories with a PC folder: "
                   "same, differs, only-calc, only-pc or unknown per object (exit 1 when not all "
                   "are the same)",
                   RunCompare);

}  // namespace dravik::cli
