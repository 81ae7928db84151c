#include "jobs/sync_job.h"

#include <QPointer>
#include <QPushButton>
#include <map>

#include "app/app_context.h"
#include "jobs/transfer_dlg.h"
#include "link/operation_log.h"

namespace dravik {
namespace {

using sync::ActionKind;

// The dialog's items, and where in them each calculator directory's
// transfer begins: the engine takes the transfers a directory at a time,
// the directories in the order of their paths, each in the plan's order.
struct SyncItems {
  TransferJob job;
  std::map<std::string, long> groupStart;
};

uint32_t WholeBytes(const std::string& size) {
  uint64_t value = 0;
  for (char c : size) {
    if (c < '0' || c > '9') break;
    value = std::min<uint64_t>(value * 10 + static_cast<uint64_t>(c - '0'), UINT32_MAX);
  }
  return static_cast<uint32_t>(value);
}

SyncItems ItemsOf(const sync::SyncPlan& plan) {
  const bool toPc = plan.options.direction == sync::SyncDirection::ToPc;
  std::map<std::string, std::vector<const sync::SyncAction*>> groups;
  for (const sync::SyncAction& a : plan.actions)
    if (a.kind == ActionKind::Fetch || a.kind == ActionKind::Send)
      groups[a.row.calc_directory].push_back(&a);
  SyncItems items;
  items.job.ReceiveJobActive = toPc;
  items.job.SendJobActive = !toPc;
  for (const auto& [directory, actions] : groups) {
    items.groupStart[directory] = static_cast<long>(items.job.TransferList.size());
    for (const sync::SyncAction* a : actions) {
      if (toPc) {
        items.job.TransferList.push_back(a->row.CalcPath());
        items.job.TransferSizes.push_back(a->row.calc ? WholeBytes(a->row.calc->size) : 0);
      } else {
        items.job.TransferList.push_back(plan.pc_root + a->row.pc_path);
        items.job.TransferSizes.push_back(
            a->row.pc ? static_cast<uint32_t>(std::min<uint64_t>(a->row.pc->bytes, UINT32_MAX)) : 0);
      }
    }
  }
  return items;
}

// Stands between the link and the dialog while the sync runs: the link
// numbers the items of each directory's transfer from 0, the dialog counts
// all the sync's items. Both calls come on the link thread.
class SyncProgress : public ProgressSink {
 public:
  SyncProgress(ProgressSink* dialog, std::map<std::string, long> groupStart)
      : dialog_(dialog), groupStart_(std::move(groupStart)) {}
  void post(int code, long value) override {
    if (code == kProgressItem) value += offset_;
    dialog_->post(code, value);
  }
  // A step of the engine; "Fetching 2 object(s) of HOME\GAMES\" and
  // "Sending 1 file(s) to HOME\" name the directory whose transfer begins.
  void Step(const std::string& what) {
    const auto found = groupStart_.find(what.substr(what.rfind(' ') + 1));
    if (found != groupStart_.end()) offset_ = found->second;
  }

 private:
  ProgressSink* dialog_;
  std::map<std::string, long> groupStart_;
  long offset_ = 0;
};

JobOutcome OutcomeOfSync(const sync::SyncReport& report) {
  if (report.cancelled) return JobOutcome::Cancelled;
  return report.ok() ? JobOutcome::Completed : JobOutcome::Failed;
}

LogOutcome LogOutcomeOfSync(const sync::SyncReport& report) {
  if (report.cancelled) return LogOutcome::Cancelled;
  return report.ok() ? LogOutcome::Done : LogOutcome::Failed;
}

}  // namespace

uint64_t StartSync(AppContext& ctx, QWidget* parent, const sync::Comparison& comparison,
                   const sync::SyncPlan& plan, const sync::SyncManifest& manifest,
                   std::function<void(sync::SyncReport)> done) {
  SyncItems items = ItemsOf(plan);
  // The engine fetches in binary form, whatever the calculator's mode.
  auto* dialog = new CTransferDlg(ctx, items.job, true, parent);
  dialog->SkipAllButton()->hide();
  dialog->SkipCurrentButton()->hide();
  QPointer<CTransferDlg> shown(dialog);
  std::shared_ptr<ProgressRelay> relay = dialog->Relay();
  const bool toPc = plan.options.direction == sync::SyncDirection::ToPc;
  const std::string title = "Sync " + plan.calc_root + (toPc ? " to " : " from ") + plan.pc_root;
  LineRequest request = ctx.line.RequestHere();
  request.CurrentHPPath = plan.calc_root;
  request.CurrentPCFolder = plan.pc_root;
  request.Job = {};
  const auto starts = items.groupStart;
  const uint64_t id = ctx.line.Run<sync::SyncReport>(
      title, std::move(request),
      [relay, comparison, plan, manifest, starts, title](LineSide& line) {
        Session& session = line.session;
        SyncProgress progress(relay.get(), starts);
        session.ProgressWindow = &progress;
        session.Post(kProgressJobStarts, 0);
        sync::SyncManifest kept = manifest;
        sync::SyncReport report;
        {
          LoggedOperation entry(session.Log, title);
          report = sync::RunSync(line.kermit, comparison, plan, kept,
                                 [&progress, &session](const std::string& what) {
                                   progress.Step(what);
                                   if (session.MainWindow) session.MainWindow->SetStatusText(what);
                                 });
          entry.End(LogOutcomeOfSync(report));
        }
        session.Post(kProgressJobOver, static_cast<long>(OutcomeOfSync(report)));
        session.ProgressWindow = nullptr;
        return report;
      },
      [&ctx, shown, done](sync::SyncReport report) {
        if (shown) shown->deleteLater();
        if (ctx.session.MainWindow) ctx.session.MainWindow->SetStatusText("Ready");
        if (done) done(std::move(report));
      });
  if (id == 0) {
    delete dialog;
    return 0;
  }
  dialog->Attach(id);
  return id;
}

}  // namespace dravik
