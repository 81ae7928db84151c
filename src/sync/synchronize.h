// A whole compare-plan-run for dravik-cli: sync of a PC folder with a
// calculator directory, and the incremental backup (a sync towards the PC
// of HOME and everything below it). A window that shows the plan first
// calls Compare, PlanSync and RunSync itself.
#pragma once

#include <string>

#include "sync/comparison.h"
#include "sync/sync_plan.h"
#include "sync/sync_run.h"

namespace dravik::sync {

struct SyncOutcome {
  Comparison comparison;
  SyncPlan plan;
  SyncReport report;         // empty for a dry run
  std::string manifest_note;  // why manifest entries were left out, if any
  bool ran = false;           // not a dry run, and the comparison was read whole
};

// Loads the manifest of pc_root, compares, plans and (unless options say
// dry_run) runs the plan. Towards the PC, a missing pc_root is made first
// (not its parents).
SyncOutcome Synchronize(CHP48Link& link, const std::string& calc_root, const std::string& pc_root,
                        const SyncOptions& options, const CompareOptions& compare = {});

// The backup: HOME mirrored into pc_root, one binary file per variable,
// only what changed since the last backup fetched (the listings are read
// every time).
SyncOutcome Backup(CHP48Link& link, const std::string& pc_root, SyncOptions options,
                   const StepReport& report = {});

}  // namespace dravik::sync
