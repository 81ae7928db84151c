// Placeholder until the worker and its progress dialogs exist: runs the job
// on the calling thread.
#include "jobs/transfer_job.h"

#include "app/app_context.h"
#include "link/xmodem_job.h"

namespace dravik {

JobOutcome RunTransferDialog(AppContext& ctx, QWidget*) {
  TransferJob& job = ctx.session.Job;
  ctx.kermit.ClearFlags();
  ctx.xmodem.ClearFlags();
  int ok = 0;
  if (job.UseXModem) {
    ok = RunXModemJob(ctx.kermit, ctx.xmodem,
                      job.SendJobActive ? XModemDirection::Send : XModemDirection::Receive,
                      job.TransferList);
  } else if (job.SendJobActive) {
    ok = ctx.kermit.SendFiles(job.TransferList);
  } else if (job.ReceiveJobActive) {
    ok = ctx.kermit.ReceiveFiles(job.TransferList);
  }
  return ok ? JobOutcome::Completed : JobOutcome::Failed;
}

JobOutcome RunArchivingDialog(AppContext& ctx, QWidget*) {
  ctx.kermit.ClearFlags();
  return ctx.kermit.ReceiveFiles({ctx.ArchiveName}) ? JobOutcome::Completed : JobOutcome::Failed;
}

}  // namespace dravik
