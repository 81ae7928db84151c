// dravik-cli backup PCDIR: the whole calculator memory, HOME and every
// directory below it, mirrored into a PC folder as one binary file per
// variable; only what changed since the last backup is fetched.
#include "cli/calculator_session.h"
#include "cli/sync_output.h"

namespace dravik::cli {
namespace {

int RunBackup(CliContext& context, const std::vector<std::string>& args) {
  SyncArguments parsed;
  if (!ParseSyncArguments("backup", args, context.operands_from, "--delete --dry-run --replace", parsed))
    return 2;
  CalculatorSession calc(context);
  if (!calc.Connect()) return 2;
  const sync::SyncOutcome outcome = sync::Backup(calc.link(), parsed.folder, parsed.options,
                                                 StepsOnStderr(context.options.quiet));
  return ReportSync(outcome, parsed.options.dry_run);
}

}  // namespace

DRAVIK_CLI_COMMAND("backup", "backup [--delete] [--dry-run] [--replace] PCDIR",
                   "mirror the whole calculator memory into a PC folder, one binary file per "
                   "variable, fetching only what changed since the last backup",
                   RunBackup);

}  // namespace dravik::cli
