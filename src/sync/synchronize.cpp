#include "sync/synchronize.h"

#include <filesystem>
#include <system_error>

#include "listing/hp_path.h"

namespace dravik::sync {

SyncOutcome Synchronize(CHP48Link& link, const std::string& calc_root, const std::string& pc_root,
                        const SyncOptions& options, const CompareOptions& compare) {
  SyncOutcome out;
  const std::string root = pc_root.empty() || pc_root.back() == '/' ? pc_root : pc_root + "/";
  // A sync towards the PC may start a folder of its own (its parent must exist).
  std::error_code ignored;
  if (options.direction == SyncDirection::ToPc && !options.dry_run && !root.empty())
    std::filesystem::create_directory(root, ignored);
  SyncManifest manifest = SyncManifest::Load(root, calc_root, &out.manifest_note);
  out.comparison = Compare(link, calc_root, root, manifest, compare);
  if (!out.comparison.ok) return out;
  out.plan = PlanSync(out.comparison, manifest, options);
  if (options.dry_run) return out;
  out.report = RunSync(link, out.comparison, out.plan, manifest, compare.report);
  out.ran = true;
  return out;
}

SyncOutcome Backup(CHP48Link& link, const std::string& pc_root, SyncOptions options,
                   const StepReport& report) {
  options.direction = SyncDirection::ToPc;
  CompareOptions compare;
  compare.report = report;
  return Synchronize(link, std::string(hp_path::kHome), pc_root, options, compare);
}

}  // namespace dravik::sync
