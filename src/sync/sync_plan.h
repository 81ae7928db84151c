// What a sync will do, decided from a comparison before anything moves, so
// that it can be shown first (--dry-run prints it; a window lists it for
// the user to confirm) and then run.
//
// Towards the PC: objects that differ or are only on the calculator are
// fetched, directories become folders. Towards the calculator: files that
// differ or are only on the PC are sent, folders become directories.
// Nothing is deleted without remove (--delete). A file or object is
// overwritten or deleted only when the manifest shows it unchanged since
// the last sync left it in step, or with replace (--replace): a PC file
// edited since, a calculator object changed since, or one no sync has seen
// is kept, and the plan says why. With replace a file that could not be
// compared (a text file no sync has seen) is brought across too.
#pragma once

#include <string>
#include <vector>

#include "sync/comparison.h"
#include "sync/sync_manifest.h"

namespace dravik::sync {

enum class SyncDirection { ToPc, ToCalculator };

struct SyncOptions {
  SyncDirection direction = SyncDirection::ToPc;
  bool remove = false;   // --delete: remove what the other side does not have
  bool replace = false;  // --replace: overwrite and delete what changed since the last sync
  bool dry_run = false;  // --dry-run: plan only
};

enum class ActionKind {
  Fetch,               // calculator object -> PC file
  Send,                // PC file -> calculator object
  MakePcFolder,
  MakeCalcDirectory,
  DeleteOnPc,
  DeleteOnCalculator,
  Keep,                // would move, but may not: why says why
};

struct SyncAction {
  ActionKind kind = ActionKind::Keep;
  ComparisonRow row;
  bool replaces = false;  // Fetch and Send: over an existing file or object
  std::string why;        // Keep
};

struct SyncPlan {
  SyncOptions options;
  std::string calc_root;
  std::string pc_root;
  std::vector<SyncAction> actions;  // makes first (parents first), then transfers, then deletes (deepest first)
  size_t CountOf(ActionKind kind) const;
};

SyncPlan PlanSync(const Comparison& comparison, const SyncManifest& manifest,
                  const SyncOptions& options);

// One line for the user: "fetch GAMES/HISCORE (replaces the PC file)",
// "keep NOTES: changed on the PC since the last sync (--replace overwrites it)".
std::string DescribeAction(const SyncAction& action);

}  // namespace dravik::sync
