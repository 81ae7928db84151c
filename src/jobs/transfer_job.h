// File jobs asked for by the window: the job the session's TransferJob
// describes (send or receive, Kermit or XModem), or the archive receive. The
// job waits its turn on the line; while it runs, its dialog ("File
// Transfer", or "Archiving") shows it and offers skip and cancel. The
// window stays usable meanwhile, and further jobs queue behind it.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "link/file_job.h"

class QWidget;

namespace dravik {

struct AppContext;

// What a job left, for the window once it is over.
struct JobResult {
  JobOutcome outcome = JobOutcome::Failed;
  TransferJob job;                                     // as it ran
  std::vector<std::string> storedNames;                // a send: names the calculator stored
  std::vector<CHP48Link::ReceivedObject> received;     // a receive: what was kept
};

// Work around the protocol on the link thread, in the same operation, so
// that nothing else reaches the line in between.
struct JobSteps {
  // Before the job (e.g. switching the transfer format); false: the job
  // does not run and fails.
  std::function<bool(LineSide&)> before;
  // After it, whatever its outcome (e.g. the restore command).
  std::function<void(LineSide&, JobResult&)> after;
};

// Asks the line for the session's job in the directory and PC folder the
// panes show now, with its dialog; done runs on the GUI thread with the
// result. The session's job is copied: the caller may clear it at once. 0
// (and no done) when the job is neither a send nor a receive or has no
// items.
uint64_t StartTransfer(AppContext& ctx, QWidget* parent, std::function<void(JobResult)> done,
                       JobSteps steps = {});
// The same in another place: request says where it acts and holds the job.
uint64_t StartTransferIn(AppContext& ctx, QWidget* parent, LineRequest request,
                         std::function<void(JobResult)> done, JobSteps steps = {});
// Starts the calculator's archive of its memory under ctx.ArchiveName and
// receives it into CurrentPCFolder, with the "Archiving" dialog.
uint64_t StartArchive(AppContext& ctx, QWidget* parent, std::function<void(JobResult)> done);

}  // namespace dravik
