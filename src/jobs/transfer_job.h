// Running a file job from the window: the job the session's TransferJob
// describes (send or receive, Kermit or XModem) on a worker thread behind the
// modal "File Transfer" dialog, or the archive receive behind "Archiving".
#pragma once

class QWidget;

namespace dravik {

struct AppContext;

// What became of a job; the dialog's result, so that callers can act on it
// (Restore sends the restore command only after a completed send).
enum class JobOutcome { Completed, Skipped, Cancelled, Failed };

// Runs session.Job modally; returns when the job is over. A job that is
// neither a send nor a receive, or has no items, shows nothing and fails.
// The caller clears the job afterwards.
JobOutcome RunTransferDialog(AppContext& ctx, QWidget* parent);
// Receives the archive named ctx.ArchiveName, which the calculator sends once
// the user presses EVAL, into CurrentPCFolder.
JobOutcome RunArchivingDialog(AppContext& ctx, QWidget* parent);

}  // namespace dravik
