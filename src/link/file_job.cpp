#include "link/file_job.h"

#include <algorithm>
#include <map>

#include "link/calculator_model.h"
#include "link/operation_log.h"
#include "link/port_texts.h"
#include "link/runner_texts.h"
#include "link/transfer_check.h"
#include "link/xmodem_job.h"
#include "listing/hp_path.h"
#include "listing/listing_cache.h"

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

std::string LogText(const Session& session, const FileJobSetup& setup) {
  const TransferJob& job = session.Job;
  if (setup.kind == FileJobKind::Archive) return "Archive " + setup.archiveName;
  const char* protocol = job.UseXModem ? " (XModem)" : " (Kermit)";
  if (setup.kind == FileJobKind::Send)
    return "Send " + NamesForLog(FileNames(job.TransferList)) + protocol;
  return "Receive " + NamesForLog(job.TransferList) + protocol;
}

// The calculator's side of the job made ready; false when the job cannot
// start (the user has been told).
bool Prepare(LineSide& line, const FileJobSetup& setup) {
  Session& s = line.session;
  CHP48Link& kermit = line.kermit;
  if (setup.kind == FileJobKind::Archive) return kermit.StartArchive(setup.archiveName) != 0;
  // Refused before anything goes over the line.
  if (s.Job.UseXModem && !kermit.model().HasXModem) {
    if (s.MainWindow)
      s.MainWindow->ShowMessage(XModemMissingText(kermit.model()), "Attention",
                                MessageIcon::Warning);
    return false;
  }
  if (s.Job.UseXModem && hp_path::IsPort(s.CurrentHPPath)) {
    if (s.MainWindow) s.MainWindow->ShowMessage(PortXModemText(), "Attention", MessageIcon::Warning);
    return false;
  }
  if (s.CurrentHPPath != s.HPWorkingPath) kermit.ChangeDirectory();
  if (!s.Job.UseXModem) return true;
  // The calculator loads its XModem program and waits for EVAL; the list
  // may lose entries it refuses.
  ListingCache names(s);
  if (setup.listed) names.Store(*setup.listed);
  const bool ok = kermit.PrepareXModemJob(setup.kind == FileJobKind::Send, &names) != 0;
  s.Job.TransferSizes.resize(s.Job.TransferList.size(), 0);
  if (ok && setup.prepared) setup.prepared(s.Job);
  return ok;
}

// After a job that ran a program on the calculator: a program that ran to
// its end leaves only its stored runner, which goes now. One that did not
// leaves the session's Leftovers, for the front end to wait for the server
// and have them put back.
int AfterRunner(LineSide& line, int result) {
  if (result) line.kermit.RunnerFinished();
  return result;
}

int RunProtocol(LineSide& line, const FileJobSetup& setup) {
  const TransferJob& job = line.session.Job;
  CHP48Link& kermit = line.kermit;
  if (setup.kind == FileJobKind::Archive) {
    const int received = kermit.ReceiveFiles({setup.archiveName});
    kermit.m_noInitPacket = 0;
    return AfterRunner(line, received);
  }
  if (job.UseXModem) {
    const int result = RunXModemJob(kermit, line.xmodem,
                                    setup.kind == FileJobKind::Send ? XModemDirection::Send
                                                                    : XModemDirection::Receive,
                                    job.TransferList);
    return AfterRunner(line, result);
  }
  kermit.m_packetCount = 0;
  // Objects in the calculator's binary form are checked against what the
  // calculator lists, so a file garbled on the line is not taken as
  // delivered.
  if (setup.kind == FileJobKind::Send)
    return kermit.SendFiles(job.TransferList) && CheckSentObjects(kermit, job.TransferList);
  return kermit.ReceiveFiles(job.TransferList) && CheckReceivedObjects(kermit);
}

}  // namespace

JobOutcome OutcomeOf(int result, bool skipAsked, bool cancelAsked) {
  if (cancelAsked && !result) return JobOutcome::Cancelled;
  if (skipAsked) return JobOutcome::Skipped;
  return result ? JobOutcome::Completed : JobOutcome::Failed;
}

JobOutcome RunFileJob(LineSide& line, const FileJobSetup& setup) {
  Session& session = line.session;
  JobOutcome outcome = JobOutcome::Failed;
  session.Post(kProgressJobStarts, 0);
  {
    LoggedOperation entry(session.Log, LogText(session, setup));
    ByteTally tally(session);
    const int result = Prepare(line, setup) ? RunProtocol(line, setup) : 0;
    outcome = OutcomeOf(result, line.SkipAsked(), line.StopAsked());
    // Stopping an archive is cancelling it, whatever the receive reports.
    if (setup.kind == FileJobKind::Archive && line.SkipAsked()) outcome = JobOutcome::Cancelled;
    tally.Leave();
    if (session.Log)
      session.Log->SetBytes(tally.Total(setup.kind == FileJobKind::Send ? session.Job.TransferSizes
                                                                        : std::vector<uint32_t>{}));
    entry.End(LogOutcomeOf(outcome));
  }
  session.Post(kProgressJobOver, static_cast<long>(outcome));
  return outcome;
}

}  // namespace dravik
