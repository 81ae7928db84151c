// File jobs through the "File Transfer" and "Archiving" dialogs against the
// simulated calculator: what they show, skip, cancel, and the bars' ranges.
#include <QApplication>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <climits>
#include <functional>

#include <gtest/gtest.h>

#include "app/app_context.h"
#include "jobs/archiving_dlg.h"
#include "jobs/progress_scale.h"
#include "jobs/transfer_dlg.h"
#include "jobs/transfer_job.h"
#include "hpview/remote_view.h"
#include "support/sim_window.h"

namespace dravik {
namespace {

using testing::SimWindow;

// A calculator text file holding a string of n characters.
std::string StringObjectFile(SimWindow& w, const std::string& name, size_t n) {
  const std::string path = w.pcFolder() / name;
  const std::string text = "%%HP: T(3)A(D)F(.);\r\n\"" + std::string(n, 'x') + "\"\r\n";
  testing::WriteBytes(path, std::vector<uint8_t>(text.begin(), text.end()));
  return path;
}

std::vector<std::string> HomeNames(SimWindow& w) {
  return w.calculator().WithCalculator(
      [](sim::Calculator& c) { return c.VariableNames("HOME\\"); });
}

bool Has(const std::vector<std::string>& names, const std::string& name) {
  return std::find(names.begin(), names.end(), name) != names.end();
}

void QueueSend(SimWindow& w, std::vector<std::string> paths, bool xmodem = false) {
  TransferJob& job = w.session().Job;
  job.Clear();
  job.TransferList = std::move(paths);
  job.SendJobActive = true;
  job.UseXModem = xmodem;
}

// What the job's dialog showed when the job was over.
struct Shown {
  QString title, item, packets;
  int allMaximum = -1, allValue = -1;
  bool skipCurrentEnabled = false, visibleAfterAct = false, acted = false;
};

// Asks for the session's job, as the window does, and waits for its end;
// act runs once on the dialog when the first bytes of a file are shown.
JobOutcome RunJob(SimWindow& w, Shown* shown = nullptr,
                  std::function<void(CTransferDlg&)> act = {}) {
  JobOutcome outcome = JobOutcome::Failed;
  bool over = false;
  StartTransfer(w.ctx(), &w.frame(), [&](JobResult result) {
    outcome = result.outcome;
    over = true;
  });
  w.session().Job.Clear();
  const QList<CTransferDlg*> dialogs = w.frame().findChildren<CTransferDlg*>();
  EXPECT_FALSE(dialogs.isEmpty());
  Shown seen;
  if (!dialogs.isEmpty()) {
    CTransferDlg* dialog = dialogs.back();
    QObject::connect(dialog, &CTransferDlg::progressShown, [&, dialog](int code, long) {
      if (code == kProgressBytes && act && !seen.acted && dialog->CurrentBar()->value() > 0) {
        seen.acted = true;
        act(*dialog);
        seen.visibleAfterAct = dialog->isVisible();
      }
      if (code != kProgressJobOver) return;
      seen.title = dialog->windowTitle();
      seen.item = dialog->ItemText();
      seen.packets = dialog->PacketText();
      seen.allMaximum = dialog->AllBar()->maximum();
      seen.allValue = dialog->AllBar()->value();
      seen.skipCurrentEnabled = dialog->SkipCurrentButton()->isEnabled();
    });
  }
  w.Settle();
  EXPECT_TRUE(over);
  if (act) {
    EXPECT_TRUE(seen.acted);
  }
  if (shown) *shown = seen;
  return outcome;
}

TEST(TransferDialog, SendsMeasuredFilesAndShowsTheLastItemAndThePackets) {
  SimWindow w;
  const std::string a = StringObjectFile(w, "ALPHA", 300);
  const std::string b = StringObjectFile(w, "BETA", 500);
  QueueSend(w, {a, b});
  Shown shown;
  EXPECT_EQ(RunJob(w, &shown), JobOutcome::Completed);
  EXPECT_EQ(shown.title, "File Transfer");
  EXPECT_EQ(shown.item.toStdString(), "Sending File: " + b);
  EXPECT_TRUE(shown.packets.startsWith("Packets sent: ")) << shown.packets.toStdString();
  EXPECT_TRUE(shown.skipCurrentEnabled);
  // The sizes were measured before the job started: the job's bar ends full.
  EXPECT_EQ(shown.allMaximum, 325 + 525);
  EXPECT_EQ(shown.allValue, shown.allMaximum);
  EXPECT_TRUE(Has(HomeNames(w), "ALPHA") && Has(HomeNames(w), "BETA"));
  EXPECT_TRUE(w.frame().findChildren<CTransferDlg*>().isEmpty());  // gone with its job
  EXPECT_TRUE(w.messages().empty()) << w.messages()[0];
}

TEST(TransferDialog, SkipCurrentGoesOnWithTheNextFileAndSkipAllEndsTheJob) {
  SimWindow w;
  w.calculator().SetBaud(38400);
  const std::string a = StringObjectFile(w, "ONE", 3000);
  const std::string b = StringObjectFile(w, "TWO", 100);
  QueueSend(w, {a, b});
  EXPECT_EQ(RunJob(w, nullptr, [](CTransferDlg& d) { d.SkipCurrentButton()->click(); }),
            JobOutcome::Skipped);
  EXPECT_FALSE(Has(HomeNames(w), "ONE"));
  EXPECT_TRUE(Has(HomeNames(w), "TWO"));

  const std::string c = StringObjectFile(w, "THREE", 3000);
  const std::string d = StringObjectFile(w, "FOUR", 100);
  QueueSend(w, {c, d});
  EXPECT_EQ(RunJob(w, nullptr, [](CTransferDlg& dlg) { dlg.SkipAllButton()->click(); }),
            JobOutcome::Skipped);
  EXPECT_FALSE(Has(HomeNames(w), "THREE"));
  EXPECT_FALSE(Has(HomeNames(w), "FOUR"));
}

TEST(TransferDialog, EscCancelsTheDialogClosesByItselfAndTheNextReadWorks) {
  SimWindow w;
  w.calculator().SetBaud(38400);
  QueueSend(w, {StringObjectFile(w, "BIG", 3000)});
  Shown shown;
  EXPECT_EQ(RunJob(w, &shown, [](CTransferDlg& d) { QTest::keyClick(&d, Qt::Key_Escape); }),
            JobOutcome::Cancelled);
  EXPECT_TRUE(shown.visibleAfterAct);  // asked, not closed: the job still ran
  EXPECT_FALSE(Has(HomeNames(w), "BIG"));
  // A cancel left behind on the link would fail this read at once.
  EXPECT_TRUE(w.OnLine([](LineSide& line) {
    return line.kermit.ReadDirectory() == 1 &&
           line.kermit.DirectoryListing.find("GREET") != std::string::npos;
  }));
}

TEST(TransferDialog, ASilentCalculatorIsReportedOnTheWindowThreadAndExitEndsTheJob) {
  SimWindow w;
  bool on_gui_thread = true;
  int dialogs = 0;
  auto note_thread = [&] { on_gui_thread &= QThread::currentThread() == qApp->thread(); };
  w.answer = [&](const QString&, const QString&) {
    note_thread();
    return MessageAnswer::Ok;
  };
  w.boundary().commSettingsDialog = [&](LinkSettings&) {
    note_thread();
    ++dialogs;
    return SettingsAnswer::Cancel;  // "&Exit"
  };
  // Time-outs of a few tens of milliseconds.
  w.OnLine([](LineSide& line) { return line.kermit.m_msPerSecond = 20; });
  QueueSend(w, {StringObjectFile(w, "LOST", 100)});
  w.calculator().SetSilent(true);
  EXPECT_EQ(RunJob(w), JobOutcome::Failed);
  EXPECT_EQ(w.messages(), std::vector<std::string>{"Error: No response from HP48\n\nPut your HP "
                                                   "in Server-Mode and check the settings"});
  EXPECT_EQ(dialogs, 1);
  EXPECT_TRUE(on_gui_thread);
  EXPECT_TRUE(w.session().LinkClosedByUser);
}

TEST(TransferDialog, ASilenceMidSendShowsTheRetriesAndCancelSaysSoAtOnce) {
  SimWindow w;
  w.calculator().SetBaud(9600);
  // Waits of a tenth of their seconds: the retries come soon.
  w.OnLine([](LineSide& line) { return line.kermit.m_msPerSecond = 100; });
  QueueSend(w, {StringObjectFile(w, "LATE", 3000)});
  QString retry, cancelling;
  const JobOutcome outcome = RunJob(w, nullptr, [&](CTransferDlg& d) {
    w.calculator().SetSilent(true);
    for (int i = 0; i < 500 && !d.PacketText().startsWith("No answer"); ++i) QTest::qWait(10);
    retry = d.PacketText();
    d.CancelButton()->click();
    cancelling = d.PacketText();
  });
  EXPECT_EQ(outcome, JobOutcome::Cancelled);
  EXPECT_EQ(retry, "No answer, trying again: 2 of 7");
  EXPECT_EQ(cancelling, "Cancelling...");
  EXPECT_TRUE(w.messages().empty()) << w.messages()[0];
}

TEST(TransferDialog, ReceiveShowsItsTextsWithSkipCurrentGreyed) {
  SimWindow w;
  TransferJob& job = w.session().Job;
  job.TransferList = {"GREET", "PRIMES"};
  job.TransferSizes = {30, 40};
  job.ReceiveJobActive = true;
  Shown shown;
  EXPECT_EQ(RunJob(w, &shown), JobOutcome::Completed);
  EXPECT_FALSE(shown.skipCurrentEnabled);
  EXPECT_EQ(shown.item, "Receiving File: PRIMES");
  EXPECT_TRUE(shown.packets.startsWith("Packets received: "));
  EXPECT_EQ(w.pcFolder().Names(), (std::vector<std::string>{"GREET", "PRIMES"}));
}

TEST(TransferDialog, FailedXModemPreparationClosesTheDialog) {
  SimWindow w;
  // A text file: XModem carries binary objects only.
  QueueSend(w, {StringObjectFile(w, "TEXT", 10)}, /*xmodem=*/true);
  EXPECT_EQ(RunJob(w), JobOutcome::Failed);
  EXPECT_EQ(w.messages(),
            std::vector<std::string>{"Attention: Only binary files are transmitted with XModem!"});
  EXPECT_TRUE(w.frame().findChildren<CTransferDlg*>().isEmpty());
}

TEST(TransferDialog, XModemSendShowsItsItemText) {
  sim::SimOptions options;
  options.auto_eval = true;
  options.auto_eval_delay = std::chrono::milliseconds(50);
  options.xmodem_time_scale = 0.05;  // XRECV asks for the first block sooner
  SimWindow w(options);
  const sim::Bytes pic = w.calculator().WithCalculator(
      [](sim::Calculator& c) { return c.BinaryOf("HOME\\", "PIC"); });
  const std::string path = w.pcFolder() / "PIC2";
  testing::WriteBytes(path, pic);
  w.frame().panes().hpList->RefreshList();  // PIC2 is a new name
  w.Settle();
  QueueSend(w, {path}, /*xmodem=*/true);
  Shown shown;
  EXPECT_EQ(RunJob(w, &shown), JobOutcome::Completed);
  EXPECT_EQ(shown.item.toStdString(), "Sending File (XModem): " + path);
  EXPECT_TRUE(w.messages().empty()) << w.messages()[0];
  // The calculator's program stores the object, then serves again.
  for (int i = 0; i < 200 && !w.calculator().InServer(); ++i) QTest::qWait(20);
  EXPECT_TRUE(Has(HomeNames(w), "PIC2"));
}

TEST(TransferProgress, ReceiveInAsciiIsScaledAndBarsKeepTheirFullRange) {
  // 1,000 bytes into the second of 2,000 and 3,000 bytes.
  ProgressScale scale({2000, 3000}, /*scaled=*/true);
  scale.ItemStarts(1);
  EXPECT_EQ(scale.All().value, 2200);
  scale.BytesDone(1000);
  EXPECT_EQ(scale.Current().value, 750);
  EXPECT_EQ(scale.Current().maximum, 3000);
  EXPECT_EQ(scale.All().value, 2800);
  EXPECT_EQ(scale.All().maximum, 5000);

  QProgressBar bar;
  ProgressScale big({100000}, false);
  big.ItemStarts(0);
  big.BytesDone(70000);
  ShowOnBar(&bar, big.Current());
  EXPECT_EQ(bar.maximum(), 100000);
  EXPECT_EQ(bar.value(), 70000);

  // 200 files of 4 GB: more than an int holds, still half way at half.
  ProgressScale huge(std::vector<uint32_t>(200, 4000000000u), false);
  huge.ItemStarts(100);
  ShowOnBar(&bar, huge.All());
  EXPECT_GT(bar.maximum(), INT_MAX / 2);
  EXPECT_EQ(bar.value(), bar.maximum() / 2);
}

TEST(ArchivingDialog, CancelStopsTheArchiveAndTheDialogWaitsForTheJob) {
  sim::SimOptions options;
  options.auto_eval = true;
  options.auto_eval_delay = std::chrono::milliseconds(50);
  SimWindow w(options);
  w.calculator().SetBaud(9600);
  w.ctx().ArchiveName = "MAR99";
  JobOutcome outcome = JobOutcome::Completed;
  StartArchive(w.ctx(), &w.frame(), [&](JobResult result) { outcome = result.outcome; });
  CArchivingDlg* dialog = w.frame().findChild<CArchivingDlg*>();
  ASSERT_NE(dialog, nullptr);
  bool stillShown = false;
  QString title, name;
  QObject::connect(dialog, &CArchivingDlg::progressShown, [&, dialog](int code, long) {
    if (code != kProgressPackets || !dialog->CancelButton()->isEnabled()) return;
    dialog->CancelButton()->click();
    stillShown = dialog->isVisible();
    title = dialog->windowTitle();
    name = dialog->NameText();
  });
  w.Settle();
  EXPECT_EQ(title, "Archiving");
  EXPECT_EQ(name, "MAR99");
  EXPECT_TRUE(stillShown);
  EXPECT_EQ(outcome, JobOutcome::Cancelled);
  EXPECT_TRUE(w.pcFolder().Names().empty());  // no partial archive
}

}  // namespace
}  // namespace dravik
