#include "sync/sync_run.h"

#include <algorithm>
#include <map>

#include "link/hp48_commands.h"
#include "link/transfer_check.h"
#include "listing/hp_path.h"
#include "listing/listing_parser.h"
#include "sync/pc_files.h"
#include "sync/pc_names.h"
#include "sync/staging_folder.h"

namespace dravik::sync {
namespace {

std::string FileNameOf(const std::string& relative) {
  return relative.substr(relative.find_last_of('/') + 1);
}

// Switches the calculator to binary transfers while objects are fetched,
// and back to what the user had afterwards.
class BinaryTransfers {
 public:
  explicit BinaryTransfers(CHP48Link& link) : link_(link), was_(link.session().BinaryMode) {}
  ~BinaryTransfers() {
    if (switched_) {
      link_.session().BinaryMode = was_;
      link_.SetTransferFormat();
    }
  }
  bool On() {
    if (link_.session().BinaryMode) return true;
    link_.session().BinaryMode = true;
    switched_ = link_.SetTransferFormat() != 0;
    if (!switched_) link_.session().BinaryMode = was_;
    return switched_;
  }

 private:
  CHP48Link& link_;
  bool was_;
  bool switched_ = false;
};

class SyncRunner {
 public:
  SyncRunner(CHP48Link& link, const Comparison& comparison, const SyncPlan& plan,
             SyncManifest& manifest, const StepReport& report)
      : link_(link), comparison_(comparison), plan_(plan), manifest_(manifest), report_(report),
        root_(plan.pc_root) {
    result_.outcomes.resize(plan.actions.size());
  }

  SyncReport Run() {
    const std::string shown = link_.session().CurrentHPPath;
    BinaryTransfers binary(link_);
    // Makes come first in the plan, then transfers, then deletes: each kind
    // runs in that order, the transfers a directory at a time.
    std::map<std::string, std::vector<size_t>> fetches, sends;
    std::vector<size_t> deletes;
    for (size_t i = 0; i < plan_.actions.size(); ++i) {
      const SyncAction& a = plan_.actions[i];
      switch (a.kind) {
        case ActionKind::MakePcFolder:
        case ActionKind::MakeCalcDirectory: MakeOne(i); break;
        case ActionKind::Fetch: fetches[a.row.calc_directory].push_back(i); break;
        case ActionKind::Send: sends[a.row.calc_directory].push_back(i); break;
        case ActionKind::DeleteOnPc:
        case ActionKind::DeleteOnCalculator: deletes.push_back(i); break;
        case ActionKind::Keep: ++result_.kept; break;
      }
    }
    if (!fetches.empty() && !Stopped(link_) && !binary.On()) {
      for (auto& [dir, group] : fetches) FailAll(group, "binary transfers could not be switched on");
      fetches.clear();
    }
    for (auto& [dir, group] : fetches) FetchGroup(dir, group);
    for (auto& [dir, group] : sends) SendGroup(dir, group);
    DeleteAll(deletes);
    for (size_t i = 0; i < plan_.actions.size(); ++i) {
      const ActionKind kind = plan_.actions[i].kind;
      if (kind != ActionKind::Keep && !result_.outcomes[i].done) {
        ++result_.failed;
        if (result_.outcomes[i].error.empty()) result_.outcomes[i].error = "cancelled";
      }
    }
    result_.cancelled = Stopped(link_);
    ReturnTo(link_, shown);
    SaveManifest();
    return result_;
  }

 private:
  const SyncAction& At(size_t i) const { return plan_.actions[i]; }

  void Done(size_t i) { result_.outcomes[i].done = true; }
  void Fail(size_t i, std::string why) {
    if (result_.outcomes[i].error.empty()) result_.outcomes[i].error = std::move(why);
  }
  void FailAll(const std::vector<size_t>& group, const std::string& why) {
    for (size_t i : group) Fail(i, why);
  }
  void Report(const std::string& what) {
    if (report_) report_(what);
  }

  // Records an object and its file as in step.
  void InStep(const ComparisonRow& row, const PcObject& file, const std::string& size,
              const std::string& checksum, const std::string& type) {
    manifest_.Set(row.key, {file.hash, file.bytes, size, checksum, type});
  }

  void MakeOne(size_t i) {
    if (Stopped(link_)) return;
    const ComparisonRow& row = At(i).row;
    if (At(i).kind == ActionKind::MakePcFolder) {
      Report("Making " + row.pc_path);
      const std::string error = MakePcFolder(root_, row.pc_path);
      if (!error.empty()) return Fail(i, error);
    } else {
      Report("Making " + row.CalcPath());
      link_.session().CurrentHPPath = row.calc_directory;
      if (!link_.MakeHPDirectory(row.name)) return Fail(i, "the calculator did not make it");
    }
    ++result_.made;
    Done(i);
  }

  void FetchGroup(const std::string& dir, const std::vector<size_t>& group) {
    std::string error;
    if (Stopped(link_) || !ListDirectory(link_, dir, &error)) return FailAll(group, error);
    StagingFolder staging(root_, ".dravik-incoming-");
    if (!staging.ok()) return FailAll(group, "cannot make a staging folder in " + root_);
    std::vector<std::string> names;
    for (size_t i : group) names.push_back(At(i).row.name);
    Report("Fetching " + std::to_string(names.size()) + " object(s) of " + dir);
    Session& session = link_.session();
    const std::string folder = session.CurrentPCFolder;
    session.CurrentPCFolder = staging.path();
    link_.ReceiveFiles(names);
    // A garbled file is deleted here, before it can replace anything.
    CheckReceivedObjects(link_);
    session.CurrentPCFolder = folder;
    std::map<std::string, std::string> received;
    for (const CHP48Link::ReceivedObject& o : link_.ReceivedObjects) received[o.name] = o.path;
    for (size_t i : group) {
      const SyncAction& a = At(i);
      const auto found = received.find(a.row.name);
      const PcObject file = found == received.end()
                                ? PcObject{}
                                : ReadPcFile(found->second, FileNameOf(a.row.pc_path), a.row.name);
      if (file.kind != PcKind::BinaryObject) {
        Fail(i, "not received whole");
        continue;
      }
      const std::string placed = PlaceReceivedFile(found->second, root_, a.row.pc_path,
                                                   a.replaces, a.row.pc ? a.row.pc->hash : 0);
      if (!placed.empty()) {
        Fail(i, placed);
        continue;
      }
      InStep(a.row, file, file.size, file.checksum, file.type);
      ++result_.fetched;
      Done(i);
    }
  }

  void SendGroup(const std::string& dir, const std::vector<size_t>& group) {
    std::string error;
    if (Stopped(link_) || !ListDirectory(link_, dir, &error)) return FailAll(group, error);
    StagingFolder staging(TemporaryParent(), "dravik-send-");
    std::vector<std::string> paths;
    std::vector<size_t> sending;
    for (size_t i : group) {
      const ComparisonRow& row = At(i).row;
      const std::string path = root_ + row.pc_path;
      uint64_t hash = 0;
      if (!HashOfFile(path, hash) || hash != row.pc->hash) {
        Fail(i, "the PC file changed while the sync ran: not sent");
        continue;
      }
      // The calculator stores a file under the name it is sent with.
      const std::string copy =
          FileNameOf(row.pc_path) == row.name ? path : staging.CopyIn(path, row.name);
      if (copy.empty()) {
        Fail(i, "cannot be copied under its calculator name");
        continue;
      }
      paths.push_back(copy);
      sending.push_back(i);
    }
    if (paths.empty()) return;
    Report("Sending " + std::to_string(paths.size()) + " file(s) to " + dir);
    // A port cannot hold a sent object beside the old one: what the plan
    // replaces there is replaced once the upload is checked.
    link_.ReplaceInPorts = std::any_of(sending.begin(), sending.end(),
                                       [&](size_t i) { return At(i).replaces; });
    link_.SendFiles(paths);
    link_.ReplaceInPorts = false;
    // A garbled object is purged on the calculator here.
    CheckSentObjects(link_, paths);
    const std::vector<std::string> stored = link_.StoredNames;
    std::vector<bool> swapped(sending.size(), true);
    for (size_t k = 0; k < sending.size() && k < stored.size(); ++k) {
      const SyncAction& a = At(sending[k]);
      if (a.replaces && !stored[k].empty() && stored[k] != a.row.name)
        swapped[k] = StoreOver(stored[k], a.row.name);
      if (!swapped[k]) Fail(sending[k], "sent as " + stored[k] + ", but not stored over " + a.row.name);
    }
    if (!ListDirectory(link_, dir, &error)) return FailAll(sending, error);
    std::map<std::string, ListingLine> listed;
    for (ListingLine& line : ListingLines(link_.DirectoryListing)) listed[line.name] = line;
    for (size_t k = 0; k < sending.size(); ++k) {
      const size_t i = sending[k];
      const ComparisonRow& row = At(i).row;
      const auto line = listed.find(row.name);
      const bool there = k < stored.size() && !stored[k].empty() && swapped[k] &&
                         line != listed.end();
      // A binary file must be listed exactly as the file says.
      const bool exact = row.pc->kind != PcKind::BinaryObject ||
                         (there && line->second.size == row.pc->size &&
                          line->second.checksum == row.pc->checksum);
      if (!there || !exact) {
        Fail(i, "not stored on the calculator as sent");
        continue;
      }
      InStep(row, *row.pc, line->second.size, line->second.checksum, line->second.type);
      ++result_.sent;
      Done(i);
    }
  }

  // Stores the object sent as `stored` under `name` (over the old one) and
  // purges `stored`: in one command when it fits one packet, else one
  // name a command.
  bool StoreOver(const std::string& stored, const std::string& name) {
    const std::string recall = "'" + stored + "' RCL";
    const std::string store = "'" + name + "' STO";
    const std::string purge = hp48::PurgeCommand(stored);
    const std::string whole = recall + " " + store + " " + purge;
    if (hp48::FitsOnePacket(whole)) return link_.RunCalculatorCommand(whole) != 0;
    if (!link_.RunCalculatorCommand(recall)) return false;
    if (!link_.RunCalculatorCommand(store)) {
      link_.RunCalculatorCommand("DROP", false);
      return false;
    }
    link_.RunCalculatorCommand(purge);
    return true;
  }

  void DeleteAll(const std::vector<size_t>& deletes) {
    for (size_t n = 0; n < deletes.size();) {
      if (Stopped(link_)) return;
      const size_t i = deletes[n];
      const SyncAction& a = At(i);
      if (a.kind == ActionKind::DeleteOnPc) {
        Report("Deleting " + a.row.pc_path);
        const std::string error = DeletePcEntry(root_, a.row.pc_path, a.row.IsDirectory(),
                                                a.row.pc ? a.row.pc->hash : 0);
        error.empty() ? Deleted(i) : Fail(i, error);
        ++n;
        continue;
      }
      if (a.row.IsDirectory()) {
        Report("Deleting " + a.row.CalcPath());
        link_.session().CurrentHPPath = a.row.calc_directory;
        link_.PurgeDirectory("'" + a.row.name + "'") ? Deleted(i)
                                                     : Fail(i, "the calculator did not delete it");
        ++n;
        continue;
      }
      // The objects of one directory that follow each other go in one purge.
      std::vector<size_t> batch;
      std::vector<std::string> names;
      while (n < deletes.size() && At(deletes[n]).kind == ActionKind::DeleteOnCalculator &&
             !At(deletes[n]).row.IsDirectory() &&
             At(deletes[n]).row.calc_directory == a.row.calc_directory) {
        batch.push_back(deletes[n]);
        names.push_back(At(deletes[n]).row.name);
        ++n;
      }
      Report("Deleting " + std::to_string(names.size()) + " object(s) of " + a.row.calc_directory);
      link_.session().CurrentHPPath = a.row.calc_directory;
      if (link_.PurgeNames(names)) {
        for (size_t j : batch) Deleted(j);
      } else {
        FailAll(batch, "the calculator did not delete it");
      }
    }
  }

  void Deleted(size_t i) {
    manifest_.EraseTree(At(i).row.key);
    ++result_.deleted;
    Done(i);
  }

  void SaveManifest() {
    // What the comparison found the same is in step too; what neither
    // side holds any more is forgotten.
    std::vector<std::string> keys;
    for (const ComparisonRow& row : comparison_.rows) {
      keys.push_back(row.key);
      if (row.state == RowState::Same && row.calc && row.pc && row.pc->regular_file &&
          !row.calc->IsDirectory())
        InStep(row, *row.pc, row.calc->size, row.calc->checksum, row.calc->type);
    }
    RecordDirectoriesInStep();
    for (size_t i = 0; i < plan_.actions.size(); ++i)
      if (result_.outcomes[i].done && (At(i).kind == ActionKind::DeleteOnPc ||
                                       At(i).kind == ActionKind::DeleteOnCalculator))
        std::erase(keys, At(i).row.key);
    manifest_.KeepOnly(keys);
    std::string error;
    if (!manifest_.Save(root_, &error)) result_.error = error;
  }

  // Whether the row is in step after the run without the calculator having
  // changed: the same already, or brought to the PC.
  bool InStepOnCalculatorSide(size_t row_index) const {
    const ComparisonRow& row = comparison_.rows[row_index];
    if (row.state == RowState::Same) return true;
    const auto done = done_by_key_.find(row.key);
    return done != done_by_key_.end() &&
           (done->second == ActionKind::Fetch || done->second == ActionKind::MakePcFolder ||
            done->second == ActionKind::DeleteOnPc);
  }

  // A directory whose listing the calculator did not change and whose every
  // object is now in step is recorded: its size and checksum stand for all
  // it holds at the next sync. Any other loses its record.
  void RecordDirectoriesInStep() {
    for (size_t i = 0; i < plan_.actions.size(); ++i)
      if (result_.outcomes[i].done) done_by_key_[At(i).row.key] = At(i).kind;
    const std::vector<ComparisonRow>& rows = comparison_.rows;
    for (size_t i = 0; i < rows.size(); ++i) {
      if (!rows[i].calc || !rows[i].calc->IsDirectory()) continue;
      bool in_step = InStepOnCalculatorSide(i) && !rows[i].calc->checksum.empty();
      const std::string below = rows[i].key + "\\";
      for (size_t j = i + 1; in_step && j < rows.size() && rows[j].key.rfind(below, 0) == 0; ++j)
        in_step = InStepOnCalculatorSide(j);
      if (in_step)
        manifest_.Set(rows[i].key, {0, 0, rows[i].calc->size, rows[i].calc->checksum, "Directory"});
      else
        manifest_.Erase(rows[i].key);
    }
  }

  CHP48Link& link_;
  std::map<std::string, ActionKind> done_by_key_;
  const Comparison& comparison_;
  const SyncPlan& plan_;
  SyncManifest& manifest_;
  const StepReport& report_;
  const std::string root_;
  SyncReport result_;
};

}  // namespace

SyncReport RunSync(CHP48Link& link, const Comparison& comparison, const SyncPlan& plan,
                   SyncManifest& manifest, const StepReport& report) {
  return SyncRunner(link, comparison, plan, manifest, report).Run();
}

}  // namespace dravik::sync
