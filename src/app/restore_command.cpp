#include "app/restore_command.h"

#include <QDeadlineTimer>
#include <QEventLoop>
#include <QCoreApplication>

#include "app/app_context.h"
#include "hpview/remote_view.h"
#include "link/hp48_commands.h"

namespace dravik {
namespace {

void Tell(AppContext& ctx, const std::string& text) {
  if (ctx.session.MainWindow)
    ctx.session.MainWindow->ShowMessage(text, "Error", MessageIcon::Error);
}

// Lets the calculator settle after the upload; the window keeps painting.
void Settle(int ms) {
  QDeadlineTimer deadline(ms);
  while (!deadline.hasExpired())
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents, 20);
}

}  // namespace

bool RestoreArchive(AppContext& ctx, CRemoteView& list, const std::string& name) {
  if (name.empty()) {
    // Nothing focused: the command would otherwise seem to do nothing.
    Tell(ctx, "Choose the backup file in the PC file list first.");
    return false;
  }
  if (!hp48::IsCalculatorName(name)) {
    Tell(ctx, "Not a valid name for a backup: " + name + " (" + hp48::NameProblem(name) + ")");
    return false;
  }
  // An older variable of that name would make the calculator keep the upload
  // as NAME.1 and restore the old one.
  list.RefreshList();
  if (ctx.cache.FindEntry() >= 0 && !ctx.cache.IsNewName(name)) {
    Tell(ctx, name + " already exists in " + ctx.session.CurrentHPPath +
                  "\nPurge or rename it first. Nothing was restored.");
    return false;
  }
  TransferJob& job = ctx.session.Job;
  job.Clear();
  job.TransferList = {ctx.session.CurrentPCFolder + name};
  job.SendJobActive = true;  // by Kermit, whatever the last send used
  const JobOutcome outcome = list.DropIntoCurrent();
  // A skipped, cancelled or failed send leaves no complete backup to restore.
  if (outcome != JobOutcome::Completed) return false;
  const std::vector<std::string>& stored = ctx.kermit.StoredNames;
  if (stored.size() != 1 || stored[0] != name) {
    Tell(ctx, "The HP48 stored the archive as " + (stored.empty() ? std::string("?") : stored[0]) +
                  ". Nothing was restored.");
    return false;
  }
  Settle(1000);
  if (!ctx.kermit.RestoreBackup(name)) return false;
  // The calculator's memory is another now and it restarted: nothing cached
  // holds, and where it stands is unknown until it is moved again.
  ctx.cache.ClearCache();
  ctx.session.HPWorkingPath.clear();
  return true;
}

}  // namespace dravik
