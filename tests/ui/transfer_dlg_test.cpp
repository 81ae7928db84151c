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
#include "link/hp48_listing_link.h"
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

// Runs the job through RunTransferDialog; act runs once on the dialog when
// the first bytes of a file are shown.
JobOutcome RunActingOnFirstBytes(SimWindow& w, std::function<void(CTransferDlg&)> act) {
  QTimer poll;
  bool acted = false;
  QObject::connect(&poll, &QTimer::timeout, [&] {
    auto* dialog = qobject_cast<CTransferDlg*>(QApplication::activeModalWidget());
    if (acted || !dialog || dialog->CurrentBar()->value() <= 0) return;
    acted = true;
    act(*dialog);
  });
  poll.start(5);
  const JobOutcome outcome = RunTransferDialog(w.ctx(), &w.frame());
  EXPECT_TRUE(acted);
  return outcome;
}

TEST(TransferDialog, SendsMeasuredFilesAndShowsTheLastItemAndThePackets) {
  SimWindow w;
  const std::string a = StringObjectFile(w, "ALPHA", 300);
  const std::string b = StringObjectFile(w, "BETA", 500);
  QueueSend(w, {a, b});
  CTransferDlg dialog(w.ctx(), &w.frame());
  EXPECT_EQ(dialog.windowTitle(), "File Transfer");
  dialog.exec();
  EXPECT_EQ(dialog.Outcome(), JobOutcome::Completed);
  EXPECT_EQ(dialog.ItemText().toStdString(), "Sending File: " + b);
  EXPECT_TRUE(dialog.PacketText().startsWith("Packets sent: ")) << dialog.PacketText().toStdString();
  EXPECT_TRUE(dialog.SkipCurrentButton()->isEnabled());
  // The sizes were measured before the worker started: the job's bar ends full.
  EXPECT_EQ(dialog.AllBar()->maximum(), 325 + 525);
  EXPECT_EQ(dialog.AllBar()->value(), dialog.AllBar()->maximum());
  EXPECT_TRUE(Has(HomeNames(w), "ALPHA") && Has(HomeNames(w), "BETA"));
  EXPECT_EQ(w.session().ProgressWindow.load(), nullptr);
  EXPECT_FALSE(w.ctx().JobRunning);
  EXPECT_TRUE(w.messages().empty()) << w.messages()[0];
}

TEST(TransferDialog, SkipCurrentGoesOnWithTheNextFileAndSkipAllEndsTheJob) {
  SimWindow w;
  w.calculator().SetBaud(38400);
  const std::string a = StringObjectFile(w, "ONE", 3000);
  const std::string b = StringObjectFile(w, "TWO", 100);
  QueueSend(w, {a, b});
  EXPECT_EQ(RunActingOnFirstBytes(w, [](CTransferDlg& d) { d.SkipCurrentButton()->click(); }),
            JobOutcome::Skipped);
  EXPECT_FALSE(Has(HomeNames(w), "ONE"));
  EXPECT_TRUE(Has(HomeNames(w), "TWO"));

  const std::string c = StringObjectFile(w, "THREE", 3000);
  const std::string d = StringObjectFile(w, "FOUR", 100);
  QueueSend(w, {c, d});
  EXPECT_EQ(RunActingOnFirstBytes(w, [](CTransferDlg& dlg) { dlg.SkipAllButton()->click(); }),
            JobOutcome::Skipped);
  EXPECT_FALSE(Has(HomeNames(w), "THREE"));
  EXPECT_FALSE(Has(HomeNames(w), "FOUR"));
}

TEST(TransferDialog, EscCancelsTheDialogClosesByItselfAndTheNextReadWorks) {
  SimWindow w;
  w.calculator().SetBaud(38400);
  QueueSend(w, {StringObjectFile(w, "BIG", 3000)});
  EXPECT_EQ(RunActingOnFirstBytes(w,
                                  [](CTransferDlg& d) {
                                    QTest::keyClick(&d, Qt::Key_Escape);
                                    // Asked, not closed: the worker still runs.
                                    EXPECT_TRUE(d.isVisible());
                                  }),
            JobOutcome::Cancelled);
  EXPECT_FALSE(Has(HomeNames(w), "BIG"));
  // A cancel left behind on the link would fail this read at once.
  EXPECT_EQ(w.ctx().kermit.ReadDirectory(), 1);
  EXPECT_NE(w.ctx().kermit.DirectoryListing.find("GREET"), std::string::npos);
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
  w.boundary().commSettingsDialog = [&] {
    note_thread();
    ++dialogs;
    return false;  // "&Exit"
  };
  w.ctx().kermit.m_msPerSecond = 20;  // time-outs of a few tens of milliseconds
  QueueSend(w, {StringObjectFile(w, "LOST", 100)});
  w.calculator().SetSilent(true);
  EXPECT_EQ(RunTransferDialog(w.ctx(), &w.frame()), JobOutcome::Failed);
  EXPECT_EQ(w.messages(), std::vector<std::string>{"Error: No response from HP48\n\nPut your HP "
                                                   "in Server-Mode and check the settings"});
  EXPECT_EQ(dialogs, 1);
  EXPECT_TRUE(on_gui_thread);
  EXPECT_TRUE(w.session().LinkClosedByUser);
}

TEST(TransferDialog, ReceiveShowsItsTextsWithSkipCurrentGreyed) {
  SimWindow w;
  TransferJob& job = w.session().Job;
  job.TransferList = {"GREET", "PRIMES"};
  job.TransferSizes = {30, 40};
  job.ReceiveJobActive = true;
  CTransferDlg dialog(w.ctx(), &w.frame());
  EXPECT_FALSE(dialog.SkipCurrentButton()->isEnabled());
  dialog.exec();
  EXPECT_EQ(dialog.Outcome(), JobOutcome::Completed);
  EXPECT_EQ(dialog.ItemText(), "Receiving File: PRIMES");
  EXPECT_TRUE(dialog.PacketText().startsWith("Packets received: "));
  EXPECT_EQ(w.pcFolder().Names(), (std::vector<std::string>{"GREET", "PRIMES"}));
}

TEST(TransferDialog, FailedXModemPreparationClosesTheDialog) {
  SimWindow w;
  // A text file: XModem carries binary objects only.
  QueueSend(w, {StringObjectFile(w, "TEXT", 10)}, /*xmodem=*/true);
  EXPECT_EQ(RunTransferDialog(w.ctx(), &w.frame()), JobOutcome::Failed);
  EXPECT_EQ(w.messages(),
            std::vector<std::string>{"Attention: Only binary files are transmitted with XModem!"});
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
  HP48ListingLink listing(w.ctx().kermit);
  ASSERT_EQ(w.ctx().cache.ReadListing(listing), 1);  // PIC2 is a new name
  QueueSend(w, {path}, /*xmodem=*/true);
  CTransferDlg dialog(w.ctx(), &w.frame());
  dialog.exec();
  EXPECT_EQ(dialog.Outcome(), JobOutcome::Completed);
  EXPECT_EQ(dialog.ItemText().toStdString(), "Sending File (XModem): " + path);
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

TEST(ArchivingDialog, CancelStopsTheArchiveAndTheDialogWaitsForTheWorker) {
  sim::SimOptions options;
  options.auto_eval = true;
  options.auto_eval_delay = std::chrono::milliseconds(50);
  SimWindow w(options);
  w.calculator().SetBaud(9600);
  w.ctx().ArchiveName = "MAR99";
  ASSERT_EQ(w.ctx().kermit.StartArchive("MAR99"), 1);
  CArchivingDlg dialog(w.ctx(), &w.frame());
  bool stillShown = false;
  QObject::connect(&dialog, &CArchivingDlg::progressShown, [&](int code, long) {
    if (code != kProgressPackets || !dialog.CancelButton()->isEnabled()) return;
    dialog.CancelButton()->click();
    stillShown = dialog.isVisible();
  });
  dialog.exec();
  EXPECT_EQ(dialog.windowTitle(), "Archiving");
  EXPECT_EQ(dialog.NameText(), "MAR99");
  EXPECT_TRUE(stillShown);
  EXPECT_EQ(dialog.Outcome(), JobOutcome::Cancelled);
  EXPECT_TRUE(w.pcFolder().Names().empty());  // no partial archive
}

}  // namespace
}  // namespace dravik
