#include "jobs/transfer_job.h"

#include <QPointer>

#include "app/app_context.h"
#include "app/await_server.h"
#include "jobs/archiving_dlg.h"
#include "jobs/transfer_dlg.h"
#include "link/calculator_model.h"
#include "link/hp48_commands.h"
#include "link/operation_log.h"
#include "link/runner_texts.h"

namespace dravik {
namespace {

// What the line does while the job runs, for the status bar and the queue.
std::string JobTitle(const TransferJob& job) {
  std::vector<std::string> names;
  for (const std::string& item : job.TransferList) names.push_back(item.substr(item.rfind('/') + 1));
  return (job.SendJobActive ? "Sending " : "Receiving ") + NamesForLog(names) +
         (job.UseXModem ? " (XModem)" : "");
}

const CalculatorModel& ModelOf(const AppContext& ctx) {
  return ctx.session.Model ? *ctx.session.Model : Hp48GxModel();
}

// A send whose names were taken: the calculator stored those files as
// NAME.1, NAME.2, ...; the user is told under which name.
void TellRenamed(AppContext& ctx, const JobResult& result) {
  std::string text;
  const std::vector<std::string>& sent = result.job.TransferList;
  for (size_t i = 0; i < sent.size() && i < result.storedNames.size(); ++i) {
    const std::string name = sent[i].substr(sent[i].rfind('/') + 1);
    if (hp48::IsRenamedUpload(result.storedNames[i], name))
      text += name + " was stored as " + result.storedNames[i] + " (" + name + " was taken).\n";
  }
  if (!text.empty() && ctx.session.MainWindow)
    ctx.session.MainWindow->ShowMessage(text.substr(0, text.size() - 1), "Dravik",
                                        MessageIcon::Information);
}

// The job's own texts (the check's "Reading ..." among them) are over with
// it: the message pane says so instead of keeping the last one.
void SayReady(AppContext& ctx) {
  if (ctx.session.MainWindow) ctx.session.MainWindow->SetStatusText("Ready");
}

}  // namespace

uint64_t StartTransfer(AppContext& ctx, QWidget* parent, std::function<void(JobResult)> done,
                       JobSteps steps) {
  return StartTransferIn(ctx, parent, ctx.line.RequestHere(), std::move(done), std::move(steps));
}

uint64_t StartTransferIn(AppContext& ctx, QWidget* parent, LineRequest request,
                         std::function<void(JobResult)> done, JobSteps steps) {
  TransferJob& job = request.Job;
  if (job.SendJobActive == job.ReceiveJobActive || job.TransferList.empty()) return 0;
  if (job.SendJobActive) MeasureSizes(job);
  job.TransferSizes.resize(job.TransferList.size(), 0);
  auto* dialog = new CTransferDlg(ctx, job, ctx.session.BinaryMode, parent);
  QPointer<CTransferDlg> shown(dialog);
  std::shared_ptr<ProgressRelay> relay = dialog->Relay();
  // An XModem receive names its files after what the directory already
  // holds, as the window knows it now.
  std::shared_ptr<const ListingEntry> listed;
  if (const ListingEntry* e = ctx.cache.Entry(request.CurrentHPPath))
    listed = std::make_shared<const ListingEntry>(*e);
  const FileJobKind kind = job.SendJobActive ? FileJobKind::Send : FileJobKind::Receive;
  const std::string what = JobTitle(job);
  const uint64_t id = ctx.line.Run<JobResult>(
      what, std::move(request),
      [relay, listed, kind, steps](LineSide& line) {
        JobResult result;
        if (steps.before && !steps.before(line)) return result;
        line.session.ProgressWindow = relay.get();
        FileJobSetup setup;
        setup.kind = kind;
        setup.listed = listed.get();
        setup.prepared = [relay](const TransferJob& prepared) {
          relay->postItems(prepared.TransferList, prepared.TransferSizes);
        };
        result.outcome = RunFileJob(line, setup);
        line.session.ProgressWindow = nullptr;
        result.job = line.session.Job;
        result.storedNames = line.kermit.StoredNames;
        result.received = line.kermit.ReceivedObjects;
        if (steps.after) steps.after(line, result);
        return result;
      },
      [&ctx, shown, done](JobResult result) {
        if (shown) shown->deleteLater();
        SayReady(ctx);
        // The calculator's XModem program did not run to its end: the
        // calculator may wait at its keyboard, its server off.
        if (result.job.UseXModem && result.outcome != JobOutcome::Completed &&
            ctx.session.Leftovers)
          AwaitServer(ctx, LeftServerText(ModelOf(ctx), "transfer"));
        if (result.job.SendJobActive && !result.job.UseXModem) TellRenamed(ctx, result);
        if (done) done(std::move(result));
      });
  if (id == 0) {
    delete dialog;
    return 0;
  }
  dialog->Attach(id);
  return id;
}

uint64_t StartArchive(AppContext& ctx, QWidget* parent, std::function<void(JobResult)> done) {
  const std::string name = ctx.ArchiveName;
  auto* dialog = new CArchivingDlg(ctx, name, parent);
  QPointer<CArchivingDlg> shown(dialog);
  std::shared_ptr<ProgressRelay> relay = dialog->Relay();
  const uint64_t id = ctx.line.Run<JobResult>(
      "Archiving " + name,
      [relay, name](LineSide& line) {
        JobResult result;
        line.session.ProgressWindow = relay.get();
        FileJobSetup setup;
        setup.kind = FileJobKind::Archive;
        setup.archiveName = name;
        result.outcome = RunFileJob(line, setup);
        line.session.ProgressWindow = nullptr;
        result.received = line.kermit.ReceivedObjects;
        return result;
      },
      [&ctx, shown, done](JobResult result) {
        if (shown) shown->deleteLater();
        SayReady(ctx);
        if (result.outcome != JobOutcome::Completed && ctx.session.Leftovers)
          AwaitServer(ctx, LeftServerText(ModelOf(ctx), "backup"));
        if (done) done(std::move(result));
      });
  if (id == 0) {
    delete dialog;
    return 0;
  }
  dialog->Attach(id);
  return id;
}

}  // namespace dravik
