#include "sync/sync_plan.h"

#include <map>

#include "link/hp48_commands.h"

namespace dravik::sync {
namespace {

bool PcUnchanged(const ComparisonRow& row, const SyncManifest& manifest) {
  const ManifestEntry* last = manifest.Find(row.key);
  return row.pc && last && last->file_hash == row.pc->hash && last->file_bytes == row.pc->bytes;
}

bool CalcUnchanged(const ComparisonRow& row, const SyncManifest& manifest) {
  const ManifestEntry* last = manifest.Find(row.key);
  return row.calc && last && !last->calc_checksum.empty() && last->calc_size == row.calc->size &&
         last->calc_checksum == row.calc->checksum;
}

// Why an existing file or object on the target side stays.
std::string ChangedSince(const ComparisonRow& row, const SyncManifest& manifest, bool on_pc,
                         const char* verb) {
  const std::string side = on_pc ? "the PC" : "the calculator";
  const std::string what = manifest.Find(row.key) ? "changed on " + side + " since the last sync"
                                                  : "on " + side + " and not from a sync";
  return what + " (--replace " + verb + " it)";
}

SyncAction Action(ActionKind kind, const ComparisonRow& row, bool replaces = false) {
  return SyncAction{kind, row, replaces, {}};
}

SyncAction Keep(const ComparisonRow& row, std::string why) {
  return SyncAction{ActionKind::Keep, row, false, std::move(why)};
}

bool IsBelow(const std::string& key, const std::string& dir_key) {
  return key.size() > dir_key.size() + 1 && key.compare(0, dir_key.size(), dir_key) == 0 &&
         key[dir_key.size()] == '\\';
}

}  // namespace

size_t SyncPlan::CountOf(ActionKind kind) const {
  size_t n = 0;
  for (const SyncAction& a : actions) n += a.kind == kind;
  return n;
}

SyncPlan PlanSync(const Comparison& comparison, const SyncManifest& manifest,
                  const SyncOptions& options) {
  SyncPlan plan{options, comparison.calc_root, comparison.pc_root, {}};
  const bool to_pc = options.direction == SyncDirection::ToPc;
  const RowState only_source = to_pc ? RowState::OnlyOnCalculator : RowState::OnlyOnPc;
  const RowState only_target = to_pc ? RowState::OnlyOnPc : RowState::OnlyOnCalculator;
  std::vector<SyncAction> transfers, deletes;
  // Directories that are not made or not in step: nothing below them moves.
  std::vector<std::string> kept_directories;
  auto keep = [&](const ComparisonRow& row, std::string why) {
    if (row.IsDirectory()) kept_directories.push_back(row.key);
    transfers.push_back(Keep(row, std::move(why)));
  };
  for (const ComparisonRow& row : comparison.rows) {
    if (row.state == RowState::Same || row.state == only_target) continue;
    const bool source_has = to_pc ? row.calc.has_value() : row.pc.has_value();
    std::string below_kept;
    for (const std::string& dir : kept_directories)
      if (IsBelow(row.key, dir)) below_kept = dir;
    if (!source_has) continue;
    if (!below_kept.empty()) {
      transfers.push_back(Keep(row, "its directory " + below_kept + " is kept"));
    } else if (row.state == RowState::Unknown) {
      // --replace lets the source side win where nothing could be compared.
      const bool files = row.calc && !row.calc->IsDirectory() && row.pc && row.pc->regular_file;
      if (options.replace && files && hp48::IsCalculatorName(row.name))
        transfers.push_back(Action(to_pc ? ActionKind::Fetch : ActionKind::Send, row, true));
      else
        keep(row, row.reason.empty() ? "not compared" : row.reason);
    } else if (!row.reason.empty() && row.state == only_source) {
      keep(row, row.reason);
    } else if (!hp48::IsCalculatorName(row.name)) {
      keep(row, "its name cannot be used: " + hp48::NameProblem(row.name));
    } else if (row.state == only_source) {
      if (row.IsDirectory())
        plan.actions.push_back(
            Action(to_pc ? ActionKind::MakePcFolder : ActionKind::MakeCalcDirectory, row));
      else
        transfers.push_back(Action(to_pc ? ActionKind::Fetch : ActionKind::Send, row));
    } else {  // differs
      const bool both_files = !(row.calc && row.calc->IsDirectory()) && row.pc &&
                              row.pc->kind != PcKind::Folder;
      const bool unchanged = to_pc ? PcUnchanged(row, manifest) : CalcUnchanged(row, manifest);
      if (!both_files)
        keep(row, row.reason);
      else if (unchanged || options.replace)
        transfers.push_back(Action(to_pc ? ActionKind::Fetch : ActionKind::Send, row, true));
      else
        keep(row, ChangedSince(row, manifest, to_pc, "overwrites"));
    }
  }
  if (options.remove) {
    // Deepest first, so that a directory is judged after all it holds.
    const ActionKind kind = to_pc ? ActionKind::DeleteOnPc : ActionKind::DeleteOnCalculator;
    std::map<std::string, bool> deletable;
    for (auto it = comparison.rows.rbegin(); it != comparison.rows.rend(); ++it) {
      const ComparisonRow& row = *it;
      if (row.state != only_target) continue;
      bool may = true;
      if (row.IsDirectory()) {
        for (const ComparisonRow& below : comparison.rows)
          if (IsBelow(below.key, row.key) && !deletable[below.key]) may = false;
      } else {
        may = options.replace || (to_pc ? PcUnchanged(row, manifest) : CalcUnchanged(row, manifest));
        if (!to_pc && !hp48::IsCalculatorName(row.name)) may = false;
      }
      deletable[row.key] = may;
      if (may)
        deletes.push_back(Action(kind, row));
      else
        deletes.push_back(Keep(row, row.IsDirectory() ? "holds what is kept"
                                                     : ChangedSince(row, manifest, to_pc, "deletes")));
    }
  }
  plan.actions.insert(plan.actions.end(), transfers.begin(), transfers.end());
  plan.actions.insert(plan.actions.end(), deletes.begin(), deletes.end());
  return plan;
}

std::string DescribeAction(const SyncAction& a) {
  const ComparisonRow& r = a.row;
  switch (a.kind) {
    case ActionKind::Fetch:
      return "fetch " + r.CalcPath() + " into " + r.pc_path +
             (a.replaces ? " (replaces the PC file)" : "");
    case ActionKind::Send:
      return "send " + r.pc_path + " to " + r.CalcPath() +
             (a.replaces ? " (replaces the calculator's object)" : "");
    case ActionKind::MakePcFolder: return "make folder " + r.pc_path;
    case ActionKind::MakeCalcDirectory: return "make directory " + r.CalcPath();
    case ActionKind::DeleteOnPc: return "delete " + r.pc_path + " on the PC";
    case ActionKind::DeleteOnCalculator: return "delete " + r.CalcPath() + " on the calculator";
    case ActionKind::Keep: break;
  }
  return "keep " + r.pc_path + ": " + a.why;
}

}  // namespace dravik::sync
