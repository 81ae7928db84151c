// --fetch-unknown: a PC file that is not in binary transfer form has no
// checksum of its own. The calculator is the one reader of its text, so the
// file is sent to it under a temporary name, the object it makes is compared
// with the one already there by size and checksum, and the temporary is
// purged again.
#include <cstdio>
#include <map>

#include "link/hp48_commands.h"
#include "link/object_checksum.h"
#include "sync/comparison.h"
#include "sync/staging_folder.h"

namespace dravik::sync {
namespace {

constexpr const char* kTemporaryName = "DRVKCMP";

bool Settleable(const ComparisonRow& row) {
  return row.state == RowState::Unknown && row.calc && !row.calc->IsDirectory() &&
         !row.calc->checksum.empty() && row.pc && row.pc->regular_file &&
         row.pc->kind != PcKind::BinaryObject && hp48::IsCalculatorName(row.name);
}

// The object's own length in nibbles, from the size the listing gives
// under a name: SIZE = (N + 9 + 2 * name length) / 2.
long ObjectNibbles(const ListedObject& listed, const std::string& name) {
  return listed.twice_size - 9 - 2 * static_cast<long>(name.size());
}

// Sends the row's file under the temporary name and compares. False when
// the line failed (the rest is not tried).
bool Settle(CHP48Link& link, ComparisonRow& row, const std::string& pc_root,
            StagingFolder& staging) {
  const std::string copy = staging.CopyIn(pc_root + row.pc_path, kTemporaryName);
  if (copy.empty()) {
    row.reason = "cannot be copied for the comparison";
    return true;
  }
  const int sent = link.SendFiles({copy});
  std::remove(copy.c_str());
  const std::string stored = link.StoredNames.empty() ? std::string() : link.StoredNames.front();
  if (stored.empty()) {
    row.reason = "the calculator did not take it for the comparison";
    return sent != 0;
  }
  std::string error;
  const bool listed = ListDirectory(link, row.calc_directory, &error);
  const ListedObject made = FindListedObject(link.DirectoryListing, stored);
  const ListedObject there = FindListedObject(link.DirectoryListing, row.name);
  // The temporary goes whatever was learnt.
  const bool purged = link.RunCalculatorCommand(hp48::PurgeCommand(stored));
  if (!purged)
    row.reason = "compared through " + stored + ", which could not be purged: purge it by hand";
  if (!listed || !made.found || !there.found || !made.has_checksum || !there.has_checksum) {
    if (purged) row.reason = "the calculator's listing could not be read for the comparison";
    return listed;
  }
  const bool same = ObjectNibbles(made, stored) == ObjectNibbles(there, row.name) &&
                    made.checksum == there.checksum;
  row.state = same ? RowState::Same : RowState::Differs;
  if (purged) row.reason = same ? "" : "the calculator reads it as another object";
  return true;
}

}  // namespace

void SettleUnknownRows(CHP48Link& link, Comparison& comparison, const StepReport& report) {
  std::map<std::string, std::vector<ComparisonRow*>> by_directory;
  for (ComparisonRow& row : comparison.rows)
    if (Settleable(row)) by_directory[row.calc_directory].push_back(&row);
  if (by_directory.empty()) return;
  StagingFolder staging(TemporaryParent(), "dravik-compare-");
  if (!staging.ok()) return;
  for (auto& [directory, rows] : by_directory) {
    std::string error;
    if (Stopped(link) || !ListDirectory(link, directory, &error)) return;
    for (ComparisonRow* row : rows) {
      if (Stopped(link)) return;
      if (report) report("Comparing " + row->pc_path + " on the calculator");
      if (!Settle(link, *row, comparison.pc_root, staging)) return;
    }
  }
}

}  // namespace dravik::sync
