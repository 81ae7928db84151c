// dravik-cli sync --to-pc|--to-calc PCDIR: brings what differs across, in
// one direction, between the calculator directory (--cd, else the current
// one) and a PC folder.
#include <cstdio>

#include "cli/calculator_session.h"
#include "cli/sync_output.h"

namespace dravik::cli {
namespace {

int RunSyncCommand(CliContext& context, const std::vector<std::string>& args) {
  SyncArguments parsed;
  if (!ParseSyncArguments("sync", args, context.operands_from,
                          "--to-pc --to-calc --delete --dry-run --replace --fetch-unknown", parsed))
    return 2;
  if (!parsed.direction_given) {
    std::fprintf(stderr, "dravik-cli: sync needs --to-pc or --to-calc\n");
    return 2;
  }
  CalculatorSession calc(context);
  if (!calc.Connect()) return 2;
  sync::CompareOptions compare;
  compare.fetch_unknown = parsed.fetch_unknown;
  compare.report = StepsOnStderr(context.options.quiet);
  const sync::SyncOutcome outcome = sync::Synchronize(
      calc.link(), calc.session().CurrentHPPath, parsed.folder, parsed.options, compare);
  return ReportSync(outcome, parsed.options.dry_run);
}

}  // namespace

DRAVIK_CLI_COMMAND("sync",
                   "sync --to-pc|--to-calc [--delete] [--dry-run] [--replace] [--fetch-unknown] PCDIR",
                   "bring what differs from the calculator directory to a PC folder or back; "
                   "--delete removes what the other side lacks, --replace overwrites what "
                   "changed since the last sync",
                   RunSyncCommand);

}  // namespace dravik::cli
