#include "jobs/transfer_job.h"

#include "app/app_context.h"
#include "jobs/archiving_dlg.h"
#include "jobs/transfer_dlg.h"

namespace dravik {

JobOutcome RunTransferDialog(AppContext& ctx, QWidget* parent) {
  const TransferJob& job = ctx.session.Job;
  if (job.SendJobActive == job.ReceiveJobActive || job.TransferList.empty())
    return JobOutcome::Failed;
  CTransferDlg dialog(ctx, parent);
  return static_cast<JobOutcome>(dialog.exec());
}

JobOutcome RunArchivingDialog(AppContext& ctx, QWidget* parent) {
  CArchivingDlg dialog(ctx, parent);
  return static_cast<JobOutcome>(dialog.exec());
}

}  // namespace dravik
