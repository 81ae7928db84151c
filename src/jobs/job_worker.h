// One file job on its own thread: the send or receive worker, the user's
// requests to skip or cancel it, and what became of it.
//
// The worker runs the protocol on the link in use (the XModem link for an
// XModem job, which borrows the port from the Kermit link for the job) and
// ends by posting the job-over code with the JobOutcome as its value. The
// GUI thread touches the link only through the requests below (atomic
// flags) until it has joined the worker.
#pragma once

#include <atomic>
#include <string>
#include <thread>

#include "jobs/transfer_job.h"

namespace dravik {

struct AppContext;
class CSerialPort;

class JobWorker {
 public:
  enum class Kind { Send, Receive, Archive };

  explicit JobWorker(AppContext& ctx) : ctx_(ctx) {}
  ~JobWorker() { Join(); }
  JobWorker(const JobWorker&) = delete;
  JobWorker& operator=(const JobWorker&) = delete;

  // Clears the cancel and skip flags of both links and starts the worker.
  void Start(Kind kind);
  // Started and not yet joined.
  bool Running() const { return thread_.joinable(); }
  // The worker has posted the job's end and touches nothing any more.
  bool Finished() const { return finished_; }
  // Waits for the worker (call it once the job-over code has come, when
  // the wait is a moment) and clears the links' flags again, so that the
  // next operation does not meet a stale cancel or skip.
  void Join();

  // The user's requests, passed to the link in use. For an archive,
  // SkipCurrent stops it: the calculator is told at its next data packet
  // and the partial file goes.
  void SkipCurrent();
  void SkipAll();
  void Cancel();

 private:
  void Run(Kind kind);
  int RunProtocol(Kind kind);
  CSerialPort& LinkInUse();
  // The job as its log entry names it.
  std::string LogText(Kind kind) const;
  void ClearLinkFlags();

  AppContext& ctx_;
  Kind kind_ = Kind::Send;
  std::thread thread_;
  std::atomic<bool> skipAsked_{false};
  std::atomic<bool> cancelAsked_{false};
  std::atomic<bool> finished_{false};
};

// What a job's result and the user's requests make of it. A request that
// came after the job had done its work changes nothing.
JobOutcome OutcomeOf(int result, bool skipAsked, bool cancelAsked);

}  // namespace dravik
