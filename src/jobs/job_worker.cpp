#include "jobs/job_worker.h"

#include "app/app_context.h"
#include "link/transfer_check.h"
#include "link/xmodem_job.h"

namespace dravik {

JobOutcome OutcomeOf(int result, bool skipAsked, bool cancelAsked) {
  if (cancelAsked && !result) return JobOutcome::Cancelled;
  if (skipAsked) return JobOutcome::Skipped;
  return result ? JobOutcome::Completed : JobOutcome::Failed;
}

void JobWorker::ClearLinkFlags() {
  ctx_.kermit.ClearFlags();
  ctx_.xmodem.ClearFlags();
}

void JobWorker::Start(Kind kind) {
  Join();
  ClearLinkFlags();
  skipAsked_ = cancelAsked_ = finished_ = false;
  kind_ = kind;
  thread_ = std::thread([this, kind] { Run(kind); });
}

void JobWorker::Join() {
  if (!thread_.joinable()) return;
  thread_.join();
  ClearLinkFlags();
}

CSerialPort& JobWorker::LinkInUse() {
  if (kind_ != Kind::Archive && ctx_.session.Job.UseXModem) return ctx_.xmodem;
  return ctx_.kermit;
}

void JobWorker::SkipCurrent() {
  skipAsked_ = true;
  LinkInUse().SkipCurrent();
}

void JobWorker::SkipAll() {
  skipAsked_ = true;
  LinkInUse().SkipAll();
}

void JobWorker::Cancel() {
  cancelAsked_ = true;
  LinkInUse().Cancel();
}

int JobWorker::RunProtocol(Kind kind) {
  const TransferJob& job = ctx_.session.Job;
  CHP48Link& kermit = ctx_.kermit;
  if (kind == Kind::Archive) return kermit.ReceiveFiles({ctx_.ArchiveName});
  if (job.UseXModem) {
    return RunXModemJob(kermit, ctx_.xmodem,
                        kind == Kind::Send ? XModemDirection::Send : XModemDirection::Receive,
                        job.TransferList);
  }
  kermit.m_packetCount = 0;
  // Objects in the calculator's binary form are checked against what the
  // calculator lists, so a file garbled on the line is not taken as
  // delivered.
  if (kind == Kind::Send)
    return kermit.SendFiles(job.TransferList) && CheckSentObjects(kermit, job.TransferList);
  return kermit.ReceiveFiles(job.TransferList) && CheckReceivedObjects(kermit);
}

void JobWorker::Run(Kind kind) {
  const int result = RunProtocol(kind);
  JobOutcome outcome = OutcomeOf(result, skipAsked_, cancelAsked_);
  // Stopping an archive is cancelling it, whatever the receive reports.
  if (kind == Kind::Archive && skipAsked_) outcome = JobOutcome::Cancelled;
  finished_ = true;
  ctx_.session.Post(kProgressJobOver, static_cast<long>(outcome));
}

}  // namespace dravik
