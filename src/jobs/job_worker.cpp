#include "jobs/job_worker.h"

#include <map>

#include "app/app_context.h"
#include "link/operation_log.h"
#include "link/transfer_check.h"
#include "link/xmodem_job.h"

namespace dravik {
namespace {

// Counts the bytes of each item as the link reports them on their way to
// the job's dialog, for the job's log entry. Stands between the link and the
// dialog's sink while the job runs.
class ByteTally : public ProgressSink {
 public:
  explicit ByteTally(Session& session) : session_(session) {
    next_ = session_.ProgressWindow.exchange(this);
  }
  ~ByteTally() override { Leave(); }
  ByteTally(const ByteTally&) = delete;
  ByteTally& operator=(const ByteTally&) = delete;

  // Gives the dialog's sink back its place.
  void Leave() {
    if (session_.ProgressWindow.load() == this) session_.ProgressWindow = next_;
  }
  void post(int code, long value) override {
    if (code == kProgressItem) item_ = value;
    if (code == kProgressBytes) bytes_[item_] = value;
    if (next_) next_->post(code, value);
  }
  // All bytes; an item counts at most its size when that is known (XModem
  // sends whole blocks, the fill of the last one is no part of the file).
  int64_t Total(const std::vector<uint32_t>& sizes) const {
    int64_t total = 0;
    for (const auto& [item, bytes] : bytes_) {
      const bool sized = item >= 0 && static_cast<size_t>(item) < sizes.size() && sizes[item] > 0;
      total += sized ? std::min<int64_t>(bytes, sizes[item]) : bytes;
    }
    return total;
  }

 private:
  Session& session_;
  ProgressSink* next_ = nullptr;
  long item_ = 0;
  std::map<long, int64_t> bytes_;
};

// The PC files of a send by their names, without the folders.
std::vector<std::string> FileNames(const std::vector<std::string>& paths) {
  std::vector<std::string> names;
  for (const std::string& p : paths) names.push_back(p.substr(p.find_last_of('/') + 1));
  return names;
}

LogOutcome LogOutcomeOf(JobOutcome outcome) {
  switch (outcome) {
    case JobOutcome::Completed: return LogOutcome::Done;
    case JobOutcome::Skipped: return LogOutcome::Skipped;
    case JobOutcome::Cancelled: return LogOutcome::Cancelled;
    case JobOutcome::Failed: break;
  }
  return LogOutcome::Failed;
}

}  // namespace

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

std::string JobWorker::LogText(Kind kind) const {
  const TransferJob& job = ctx_.session.Job;
  if (kind == Kind::Archive) return "Archive " + ctx_.ArchiveName;
  const char* protocol = job.UseXModem ? " (XModem)" : " (Kermit)";
  if (kind == Kind::Send) return "Send " + NamesForLog(FileNames(job.TransferList)) + protocol;
  return "Receive " + NamesForLog(job.TransferList) + protocol;
}

void JobWorker::Run(Kind kind) {
  Session& session = ctx_.session;
  LoggedOperation entry(session.Log, LogText(kind));
  ByteTally tally(session);
  const int result = RunProtocol(kind);
  JobOutcome outcome = OutcomeOf(result, skipAsked_, cancelAsked_);
  // Stopping an archive is cancelling it, whatever the receive reports.
  if (kind == Kind::Archive && skipAsked_) outcome = JobOutcome::Cancelled;
  tally.Leave();
  if (session.Log)
    session.Log->SetBytes(tally.Total(kind == Kind::Send ? session.Job.TransferSizes
                                                         : std::vector<uint32_t>{}));
  entry.End(LogOutcomeOf(outcome));
  finished_ = true;
  ctx_.session.Post(kProgressJobOver, static_cast<long>(outcome));
}

}  // namespace dravik
