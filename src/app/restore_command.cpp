#include "app/restore_command.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <chrono>
#include <memory>
#include <thread>

#include "app/app_context.h"
#include "diagnose/server_wait.h"
#include "hpview/hp_tree_view.h"
#include "hpview/remote_view.h"
#include "link/calculator_model.h"
#include "link/hp48_commands.h"

namespace dravik {
namespace {

const CalculatorModel& ModelOf(const AppContext& ctx) {
  return ctx.session.Model ? *ctx.session.Model : Hp48GxModel();
}

// What messages call the calculator: "HP48", "HP49".
std::string Calc(const AppContext& ctx) { return std::string(ModelOf(ctx).FamilyName()); }

void Tell(AppContext& ctx, const std::string& text) {
  if (ctx.session.MainWindow)
    ctx.session.MainWindow->ShowMessage(text, "Error", MessageIcon::Error);
}

// Lets the calculator settle after the upload; a stop ends the wait.
void Settle(LineSide& line, int ms) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  while (std::chrono::steady_clock::now() < end && !line.StopAsked())
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
}

// What the restore left: whether the command went, and why not.
struct RestoreRun {
  bool sent = false;
  std::string stored;  // the name the calculator stored the upload under
};

// The calculator restarts with the restored memory at its keyboard: the
// panes show nothing of the old memory, and read the new one once the user
// has started the server again.
void ReadAfterRestart(AppContext& ctx, CRemoteView& list) {
  ctx.cache.ClearCache();
  ctx.session.CurrentHPPath = "HOME\\";
  list.ShowNotice(QString::fromStdString(
      "The " + Calc(ctx) + " restarts with the restored memory, its server off: " +
      std::string(ModelOf(ctx).ServerKeys) + " to start it again; the panes show it once it "
      "answers."));
  ctx.line.Run<int>(
      "Waiting for the calculator to serve again",
      [](LineSide& line) { return WaitForServer(line.kermit, std::chrono::minutes(5)); },
      [&ctx, &list](int answered) {
        if (!answered) {
          list.ShowNotice(QString::fromStdString(
              "The " + Calc(ctx) + " has not answered since the restore (F5 tries again)."));
          return;
        }
        ctx.CalculatorAnswered = true;
        list.RefreshList();
        if (CHPTreeView* tree = list.OtherPanes().hpTree) {
          tree->RebuildTree();
          tree->ReadPorts();
        }
      });
}

void SendAndRestore(AppContext& ctx, CRemoteView& list, const std::string& file,
                    const std::string& name, std::function<void(bool)> done) {
  TransferJob& job = ctx.session.Job;
  job.Clear();
  job.TransferList = {file};
  job.SendJobActive = true;  // by Kermit, whatever the last send used
  auto run = std::make_shared<RestoreRun>();
  JobSteps steps;
  // In the same operation as the send: nothing else may reach the
  // calculator between the upload and the restore.
  steps.after = [name, run](LineSide& line, JobResult& result) {
    // A skipped, cancelled or failed send leaves no complete backup.
    if (result.outcome != JobOutcome::Completed) return;
    const std::vector<std::string>& stored = result.storedNames;
    run->stored = stored.size() == 1 ? stored[0] : std::string("?");
    if (stored.size() != 1 || stored[0] != name) return;
    Settle(line, 1000);
    if (line.StopAsked() || !line.kermit.RestoreBackup(name)) return;
    run->sent = true;
    // The calculator restarted with another memory: where it stands is
    // unknown until it is moved again.
    line.session.HPWorkingPath.clear();
  };
  const uint64_t id = list.DropIntoCurrent(
      [&ctx, &list, name, run, done](const JobResult& result) {
        if (result.outcome == JobOutcome::Completed && !run->sent && run->stored != name)
          Tell(ctx, "The " + Calc(ctx) + " stored the archive as " + run->stored +
                        ". Nothing was restored.");
        // Nothing cached holds for the restored memory.
        if (run->sent) ReadAfterRestart(ctx, list);
        if (done) done(run->sent);
      },
      std::move(steps));
  if (id == 0 && done) done(false);
}

}  // namespace

void RestoreArchive(AppContext& ctx, CRemoteView& list, const std::string& file,
                    std::function<void(bool)> done) {
  auto refuse = [&ctx, &done](const std::string& text) {
    Tell(ctx, text);
    if (done) done(false);
  };
  const std::string name = file.substr(file.rfind('/') + 1);
  if (!hp48::IsCalculatorName(name)) {
    refuse("Not a valid name for a backup: " + name + " (" + hp48::NameProblem(name) + ")");
    return;
  }
  // The whole memory goes: the user says so first, knowing which backup.
  const QFileInfo backup(QFile::decodeName(file.c_str()));
  if (!backup.isFile()) {
    refuse("Cannot read the backup " + file + ".");
    return;
  }
  const std::string date = backup.lastModified().toString("yyyy-MM-dd HH:mm").toStdString();
  if (!ctx.session.MainWindow ||
      ctx.session.MainWindow->ShowMessage(
          "Replace the whole memory of the " + Calc(ctx) + " with the backup " + name + " of " +
              date +
              "?\n\nEverything on the calculator now is lost.",
          "Restore", MessageIcon::Question, MessageButtons::YesNoDefaultNo) != MessageAnswer::Yes) {
    if (done) done(false);
    return;
  }
  // An older variable of that name would make the calculator keep the upload
  // as NAME.1 and restore the old one: the listing, current, says.
  const std::string path = ctx.session.CurrentHPPath;
  list.RefreshList([&ctx, &list, file, name, path, done] {
    if (ctx.session.CurrentHPPath != path) {
      if (done) done(false);  // the user went elsewhere meanwhile
      return;
    }
    if (ctx.cache.FindEntry(path) >= 0 && !ctx.cache.IsNewName(name)) {
      Tell(ctx, name + " already exists in " + path + "\nPurge or rename it first. Nothing was restored.");
      if (done) done(false);
      return;
    }
    SendAndRestore(ctx, list, file, name, done);
  });
}

}  // namespace dravik
