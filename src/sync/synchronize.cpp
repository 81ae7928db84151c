#include "sync/synchronize.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "link/calculator_model.h"
#include "listing/hp_path.h"
#include "sync/port_folders.h"

namespace dravik::sync {
namespace {

// One calculator root against one PC folder.
SyncOutcome SynchronizeOne(CHP48Link& link, const std::string& calc_root,
                           const std::string& root, const SyncOptions& options,
                           const CompareOptions& compare) {
  SyncOutcome out;
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

// A port's rows as HOME's folder holds them: below the port's folder.
void Relocate(ComparisonRow& row, const std::string& folder) {
  row.pc_path = JoinRelative(folder, row.pc_path);
  row.key = row.calc_directory + row.key;
}

// Adds what a port's sync found and did to HOME's.
void Merge(SyncOutcome& out, SyncOutcome part, const std::string& folder) {
  Comparison& c = out.comparison;
  for (ComparisonRow& row : part.comparison.rows) {
    Relocate(row, folder);
    c.rows.push_back(std::move(row));
  }
  if (!part.comparison.ok) {
    c.ok = false;
    c.error += (c.error.empty() ? "" : "; ") + part.comparison.error;
  }
  for (SyncAction& action : part.plan.actions) {
    Relocate(action.row, folder);
    out.plan.actions.push_back(std::move(action));
  }
  SyncReport& r = out.report;
  const SyncReport& p = part.report;
  r.outcomes.insert(r.outcomes.end(), p.outcomes.begin(), p.outcomes.end());
  // A dry run, or a part that was never compared whole, has no outcomes:
  // the merged list stays as long as the plan.
  r.outcomes.resize(out.plan.actions.size());
  r.fetched += p.fetched;
  r.sent += p.sent;
  r.made += p.made;
  r.deleted += p.deleted;
  r.kept += p.kept;
  r.failed += p.failed;
  r.cancelled = r.cancelled || p.cancelled;
  if (!p.error.empty()) r.error += (r.error.empty() ? "" : "; ") + p.error;
  if (!part.manifest_note.empty())
    out.manifest_note += (out.manifest_note.empty() ? "" : "; ") + part.manifest_note;
  out.ran = out.ran && part.ran;
}

// The ports beside HOME: towards the PC every port the calculator has, each
// into its folder; towards the calculator every port folder the PC holds,
// into its port.
void SynchronizePorts(CHP48Link& link, const std::string& root, const SyncOptions& options,
                      const CompareOptions& compare, SyncOutcome& out) {
  std::vector<CHP48Link::PortSummary> ports;
  if (Stopped(link) || !link.ReadPorts(ports)) {
    out.comparison.ok = false;
    out.comparison.error = Stopped(link) ? "cancelled" : "cannot read the calculator's ports";
    return;
  }
  std::vector<int> wanted;
  if (options.direction == SyncDirection::ToPc) {
    for (const CHP48Link::PortSummary& port : ports) wanted.push_back(port.number);
  } else {
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(root, error)) {
      const std::optional<int> port = PortOfFolder(entry.path().filename().string());
      if (!port || !entry.is_directory(error)) continue;
      const bool there = std::any_of(ports.begin(), ports.end(),
                                     [&](const auto& p) { return p.number == *port; });
      if (!there) {
        out.comparison.ok = false;
        out.comparison.error = "the calculator has no port " + std::to_string(*port) +
                               " for the folder " + entry.path().filename().string();
        return;
      }
      wanted.push_back(*port);
    }
    std::sort(wanted.begin(), wanted.end());
  }
  const std::string shown = link.session().CurrentHPPath;
  for (int port : wanted) {
    const std::string folder = PortFolderName(port);
    Merge(out, SynchronizeOne(link, hp_path::PortPath(port), root + folder + "/", options, compare),
          folder);
  }
  ReturnTo(link, shown);
}

}  // namespace

SyncOutcome Synchronize(CHP48Link& link, const std::string& calc_root, const std::string& pc_root,
                        const SyncOptions& options, const CompareOptions& compare) {
  const std::string root = pc_root.empty() || pc_root.back() == '/' ? pc_root : pc_root + "/";
  SyncOutcome out = SynchronizeOne(link, calc_root, root, options, compare);
  // HOME's folder holds the calculator's ports too, each in a folder.
  if (hp_path::IsHome(calc_root) && out.comparison.ok && !link.model().Ports.empty())
    SynchronizePorts(link, root, options, compare, out);
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
