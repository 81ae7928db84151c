// What compare, sync and backup share in dravik-cli: their own options
// (parsed inside the command, wherever they stand among its arguments),
// the comparison's lines and the sync's report.
#pragma once

#include <string>
#include <vector>

#include "sync/synchronize.h"

namespace dravik::cli {

// The options of one command and its folder argument.
struct SyncArguments {
  sync::SyncOptions options;
  bool fetch_unknown = false;
  bool direction_given = false;
  std::string folder;
};

// Reads args: the long options named in allowed ("--to-pc --delete ..."),
// anywhere among them, and exactly one PCDIR; the words from index
// operands_from on (those after "--") are never options. False, after
// saying why on stderr, on anything else.
bool ParseSyncArguments(const char* command, const std::vector<std::string>& args,
                        size_t operands_from, const std::string& allowed, SyncArguments& out);

// Prints one line per row: state (of a directory that both sides have,
// the state of what it holds), name (its path in the PC folder, the
// calculator's characters shown as themselves), type, size, and why when
// it is not the same.
void PrintComparison(const sync::Comparison& comparison);

// Prints one line per action (what moved, what would move on a dry run,
// what was kept and why, what failed), then a summary. The exit code: 0
// when everything is in step (or a dry run), 1 when something was kept
// or failed, 2 when the trees could not be read.
int ReportSync(const sync::SyncOutcome& outcome, bool dry_run);

// Steps of a long operation on stderr, unless quiet.
sync::StepReport StepsOnStderr(bool quiet);

}  // namespace dravik::cli
