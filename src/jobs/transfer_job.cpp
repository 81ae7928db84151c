#include "jobs/transfer_job.h"

#include "app/app_context.h"
#include "jobs/archiving_dlg.h"
#include "jobs/transfer_dlg.h"

namespace dravik {
namespace {

// The job's own texts (the check's "Reading ..." among them) are over with
// it: the message pane says so instead of keeping the last one.
JobOutcome Finished(AppContext& ctx, int result) {
  if (ctx.session.MainWindow) ctx.session.MainWindow->SetStatusText("Ready");
  return static_cast<JobOutcome>(result);
}

}  // namespace

JobOutcome RunTransferDialog(AppContext& ctx, QWidget* parent) {
  const TransferJob& job = ctx.session.Job;
  if (job.SendJobActive == job.ReceiveJobActive || job.TransferList.empty())
    return JobOutcome::Failed;
  CTransferDlg dialog(ctx, parent);
  return Finished(ctx, dialog.exec());
}

JobOutcome RunArchivingDialog(AppContext& ctx, QWidget* parent) {
  CArchivingDlg dialog(ctx, parent);
  return Finished(ctx, dialog.exec());
}

}  // namespace dravik
