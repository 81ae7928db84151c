// One file job on the line's own thread: sending PC files, receiving
// calculator objects (Kermit or XModem), or receiving the calculator's
// archive. The job's items are the session's TransferJob; its progress goes
// to the session's ProgressWindow, ending with the job-over code whose
// value is the JobOutcome.
#pragma once

#include <functional>
#include <string>

#include "link/link_thread.h"

namespace dravik {

struct ListingEntry;

// What became of a job. A job's dialog closes with it, and callers act on
// it (Restore sends the restore command only after a completed send).
enum class JobOutcome { Completed, Skipped, Cancelled, Failed };

enum class FileJobKind { Send, Receive, Archive };

// What a job needs beyond the session's TransferJob.
struct FileJobSetup {
  FileJobKind kind = FileJobKind::Send;
  // Archive: the name the calculator's archive is received under.
  std::string archiveName;
  // XModem: what the calculator's directory held when the job was asked
  // for (its listing), so that received names get ".1" where they must.
  const ListingEntry* listed = nullptr;
  // Called once the calculator has prepared an XModem job, with the job as
  // it now stands (the calculator may have refused items).
  std::function<void(const TransferJob&)> prepared;
};

// Runs the job: moves the calculator into CurrentHPPath when it is
// elsewhere, prepares an XModem job on the calculator, runs the protocol,
// checks Kermit transfers in binary form against the calculator's listing,
// logs the job and posts its end. The job's outcome.
JobOutcome RunFileJob(LineSide& line, const FileJobSetup& setup);

// What a job's result and the user's requests make of it. A request that
// came after the job had done its work changes nothing.
JobOutcome OutcomeOf(int result, bool skipAsked, bool cancelAsked);

}  // namespace dravik
