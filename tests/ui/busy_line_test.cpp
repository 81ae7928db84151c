// The window while the line works: it keeps taking input, Stop ends what
// runs, transfers asked for meanwhile wait their turn, and closing the
// window mid-transfer loses nothing and gives the port back.
#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <atomic>
#include <filesystem>
#include <fstream>
#include <thread>

#include <gtest/gtest.h>

#include "hpview/hp_tree_view.h"
#include "hpview/remote_view.h"
#include "jobs/transfer_dlg.h"
#include "jobs/transfer_job.h"
#include "link/operation_log.h"
#include "link/trace_file.h"
#include "pcview/pc_view.h"
#include "platform/serial_device.h"
#include "support/pane_events.h"
#include "support/sim_window.h"

namespace dravik {
namespace {

using testing::RowNamed;
using testing::SimWindow;

// How late a timer ticking every 20 ms on the GUI thread came at worst.
class Lateness {
 public:
  Lateness() {
    QObject::connect(&timer_, &QTimer::timeout, [this] {
      const qint64 now = clock_.elapsed();
      worst_ = std::max(worst_, now - last_ - 20);
      last_ = now;
    });
    clock_.start();
    timer_.start(20);
  }
  qint64 WorstMs() const { return worst_; }

 private:
  QTimer timer_;
  QElapsedTimer clock_;
  qint64 last_ = 0;
  qint64 worst_ = 0;
};

// Processes events until done() or ms have passed; whether done().
template <typename Done>
bool WaitFor(Done done, int ms) {
  QElapsedTimer clock;
  clock.start();
  while (!done() && clock.elapsed() < ms) QTest::qWait(5);
  return done();
}

sim::Calculator TwoHundredDirectories() {
  std::string commands;
  for (int i = 0; i < 20; ++i) {
    const std::string d = "D" + std::to_string(i);
    commands += "'" + d + "' CRDIR " + d + " ";
    for (int j = 0; j < 9; ++j) commands += "'S" + std::to_string(j) + "' CRDIR ";
    commands += "HOME ";
  }
  sim::Calculator c;
  c.RunCommandLine(commands);
  return c;
}

// The window showing HOME, its line as slow as a real one; the object list.
CRemoteView* ShowHomeAt9600(SimWindow& w) {
  w.calculator().SetBaud(9600);
  w.frame().show();
  CRemoteView* list = w.frame().panes().hpList;
  list->RefreshList();
  w.Settle();
  return list;
}

// Files in the PC folder, each a string of length characters in text form;
// their paths.
std::vector<std::string> WriteStrings(SimWindow& w, std::initializer_list<const char*> names,
                                      size_t length) {
  const std::string text = "%%HP: T(3)A(D)F(.);\r\n\"" + std::string(length, 'x') + "\"\r\n";
  std::vector<std::string> files;
  for (const char* name : names) {
    files.push_back(w.pcFolder() / name);
    testing::WriteBytes(files.back(), std::vector<uint8_t>(text.begin(), text.end()));
  }
  return files;
}

TEST(BusyLine, TheWindowTakesInputDuringReadAllAndStopEndsItAtOnce) {
  SimWindow w({}, true, TwoHundredDirectories());
  std::filesystem::create_directory(w.pcFolder() / "inner");
  w.frame().show();
  CPCView* pcList = w.frame().panes().pcList;
  pcList->Refresh();
  Lateness lateness;
  w.frame().action(CMainFrame::Command::ReadAll)->trigger();
  ASSERT_TRUE(WaitFor([&] { return w.frame().stopButton()->isVisible(); }, 5000));
  EXPECT_EQ(w.ctx().line.Queue().running, "Reading all directories");
  // A click on a PC folder takes effect while the line reads.
  QTest::qWait(300);
  pcList->OpenItem(RowNamed(pcList, "inner"));
  EXPECT_EQ(w.session().CurrentPCFolder, w.pcFolder() / "inner/");
  ASSERT_TRUE(w.ctx().line.Busy());

  QElapsedTimer stopped;
  stopped.start();
  QTest::keyClick(&w.frame(), Qt::Key_Escape);  // Stop
  ASSERT_TRUE(WaitFor([&] { return !w.ctx().line.Busy(); }, 5000));
  EXPECT_LT(stopped.elapsed(), 1000);
  w.Settle();
  EXPECT_LE(lateness.WorstMs(), 100);
  const std::vector<LogEntry> log = w.ctx().log.Entries();
  const auto walk = std::find_if(log.begin(), log.end(), [](const LogEntry& e) {
    return e.what == "Read all directories";
  });
  ASSERT_NE(walk, log.end());
  EXPECT_EQ(walk->outcome, LogOutcome::Stopped);

  // The calculator is left serving: F5 lists the directory.
  w.frame().action(CMainFrame::Command::Refresh)->trigger();
  w.Settle();
  EXPECT_NE(RowNamed(w.frame().panes().hpList, "D0"), nullptr);
  EXPECT_TRUE(w.messages().empty()) << w.messages()[0];
}

TEST(BusyLine, ACalculatorFallenSilentInAListingIsLeftOnStop) {
  std::string commands = "'BIG' CRDIR BIG ";
  for (int i = 0; i < 400; ++i) commands += std::to_string(i) + " 'V" + std::to_string(i) + "' STO ";
  sim::Calculator memory;
  memory.RunCommandLine(commands + "HOME");
  SimWindow w({}, true, std::move(memory));
  w.calculator().SetBaud(9600);
  w.frame().show();
  w.session().CurrentHPPath = "HOME\\BIG\\";
  CRemoteView* list = w.frame().panes().hpList;
  list->RefreshList();
  // Silent once the listing has begun to arrive.
  ASSERT_TRUE(WaitFor([&] { return w.frame().messageText().endsWith(" ....."); }, 10000));
  w.calculator().SetSilent(true);
  Lateness lateness;
  QTest::qWait(500);
  // The window takes input while the line waits for the calculator.
  w.frame().panes().pcList->selectAll();
  EXPECT_FALSE(w.frame().panes().pcList->selectedItems().isEmpty());
  w.frame().OnStop();
  ASSERT_TRUE(WaitFor([&] { return !w.ctx().line.Busy(); }, 1000));
  w.Settle();
  EXPECT_LE(lateness.WorstMs(), 100);
  EXPECT_TRUE(w.messages().empty()) << w.messages()[0];  // stopped, not "No response"
  EXPECT_EQ(w.ctx().cache.IsStale("HOME\\BIG\\"), 1);
  EXPECT_NE(RowNamed(list, "Could not read HOME\\BIG\\ (F5 reads it again)"), nullptr);
}

TEST(BusyLine, DropsMadeWhileASendRunsAreSentInTurn) {
  SimWindow w;
  CRemoteView* list = ShowHomeAt9600(w);
  const std::vector<std::string> files = WriteStrings(w, {"FIRST", "SECOND", "THIRD"}, 1500);
  auto drop = [&](const std::string& file) {
    w.session().Job.Clear();
    w.session().Job.SendJobActive = true;
    w.session().Job.TransferList = {file};
    list->DropIntoCurrent();
  };
  drop(files[0]);
  ASSERT_TRUE(WaitFor([&] { return w.ctx().line.Queue().running.rfind("Sending", 0) == 0; }, 5000));
  drop(files[1]);
  drop(files[2]);
  EXPECT_TRUE(WaitFor([&] { return w.frame().waitingLabel()->text() == "2 waiting"; }, 1000));
  w.Settle();
  std::vector<std::string> sent;
  for (const LogEntry& e : w.ctx().log.Entries())
    if (e.what.rfind("Send ", 0) == 0 && e.outcome == LogOutcome::Done) sent.push_back(e.what);
  EXPECT_EQ(sent, (std::vector<std::string>{"Send FIRST (Kermit)", "Send SECOND (Kermit)",
                                            "Send THIRD (Kermit)"}));
  for (const char* name : {"FIRST", "SECOND", "THIRD"}) EXPECT_NE(RowNamed(list, name), nullptr);
  EXPECT_FALSE(w.frame().waitingLabel()->isVisible());
}

TEST(BusyLine, TheStatusBarNamesTheFileThatMovesWhateverTheUserBrowses) {
  SimWindow w;
  CRemoteView* list = ShowHomeAt9600(w);
  TransferJob& job = w.session().Job;
  job.Clear();
  job.SendJobActive = true;
  job.TransferList = WriteStrings(w, {"QF1", "QF2", "QF3"}, 400);
  StartTransfer(w.ctx(), &w.frame(), {});
  job.Clear();
  auto* dialog = w.frame().findChild<CTransferDlg*>();
  ASSERT_NE(dialog, nullptr);
  QStringList shown;
  QObject::connect(dialog, &CTransferDlg::progressShown, [&](int code, long value) {
    if (code != kProgressItem) return;
    // Meanwhile the user opens directories: one whose listing waits its
    // turn on the line, then one read before (the list says "Ready").
    if (value == 1) {
      list->OpenRow(RowNamed(list, "GAMES"));
      list->GoUp();
    }
    shown << w.frame().messageText();
  });
  w.Settle();
  EXPECT_EQ(shown.join(" | ").toStdString(),
            "Sending QF1 (1 of 3) | Sending QF2 (2 of 3) | Sending QF3 (3 of 3)");
  EXPECT_EQ(w.frame().messageText(), "Ready");
  EXPECT_TRUE(w.messages().empty()) << w.messages()[0];
}

TEST(BusyLine, ClosingMidTransferLeavesNoFileAndTheDeviceFree) {
  SimWindow w;
  w.calculator().WithCalculator(
      [](sim::Calculator& c) { return c.RunCommandLine("\"" + std::string(4000, 'y') + "\" 'LONG' STO"); });
  w.calculator().SetBaud(9600);
  w.frame().show();
  w.session().Job.Clear();
  w.session().Job.ReceiveJobActive = true;
  w.session().Job.TransferList = {"LONG"};
  w.frame().panes().pcList->FinishDropOnPc();
  // Part of the object has come.
  ASSERT_TRUE(WaitFor([&] {
    auto* dialog = w.frame().findChild<CTransferDlg*>();
    return dialog && dialog->PacketText().section(' ', -1).toInt() >= 8;
  }, 10000));
  ASSERT_TRUE(std::filesystem::exists(w.pcFolder() / "LONG"));
  w.frame().close();  // the test's answer to "Stop it and quit?" is Yes
  EXPECT_FALSE(w.frame().isVisible());
  EXPECT_FALSE(w.ctx().line.Busy());
  EXPECT_FALSE(std::filesystem::exists(w.pcFolder() / "LONG"));
  ASSERT_EQ(w.messages().size(), 1u);
  EXPECT_EQ(w.messages()[0].rfind("Dravik: The calculator line is busy: Receiving LONG", 0), 0u)
      << w.messages()[0];
  // Nobody holds the device any more.
  SerialDevice device;
  EXPECT_EQ(device.Open(w.calculator().device(), LineSettings{}), DeviceError::Ok);
}

// Closing while an operation ignores Stop for longer than the bound: the box
// it waits for is answered (nobody is there to see it), the thread is left
// to end on its own, and the log, the window boundary and the trace it
// reaches afterwards are still there when it does (run under the
// sanitizers, a freed one shows).
TEST(BusyLine, AnOperationHeldPastTheShutdownBoundEndsSafelyAfterTheWindow) {
  testing::ScratchFolder folder;
  const std::string tracePath = folder / "trace.txt";
  struct Held {
    std::atomic<bool> asking{false}, answered{false}, release{false}, done{false};
    std::atomic<MessageAnswer> first{MessageAnswer::Yes}, second{MessageAnswer::Yes};
  };
  auto held = std::make_shared<Held>();
  auto ctx = std::make_unique<AppContext>();
  WindowBoundary boundary;
  ctx->line.SetWindow(&boundary);
  auto work = [held, trace = std::make_shared<TraceFile>(tracePath)](LineSide& line) mutable {
    line.session.Trace = std::move(trace);  // as the connection check hands it over
    held->asking = true;
    held->first = line.session.MainWindow->ShowMessage(
        "Replace it?", "Dravik", MessageIcon::Question, MessageButtons::YesNo);
    held->answered = true;
    while (!held->release) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    {
      LoggedOperation op(line.session.Log, "Held past the window");
      line.session.MainWindow->SetStatusText("still here");
      held->second = line.session.MainWindow->ShowMessage(
          "Replace it?", "Dravik", MessageIcon::Question, MessageButtons::YesNo);
      line.session.Trace->KermitPacket(TraceDirection::Sent, 'I', 0, "late");
    }
    held->done = true;
    return 0;
  };
  ctx->line.Run<int>("Holding the line", std::function<int(LineSide&)>(work));
  // Waits (bounded, without processing events: the box never shows).
  auto eventually = [](const std::atomic<bool>& flag) {
    for (int i = 0; i < 500 && !flag; ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return flag.load();
  };
  ASSERT_TRUE(eventually(held->asking));
  EXPECT_FALSE(ctx->line.Shutdown(300));
  ASSERT_TRUE(eventually(held->answered)) << "the box was not answered";
  EXPECT_EQ(held->first, MessageAnswer::No);
  EXPECT_FALSE(ctx->line.Shutdown(100)) << "it still runs";
  ctx.reset();
  held->release = true;
  ASSERT_TRUE(eventually(held->done));
  EXPECT_EQ(held->second, MessageAnswer::No);
  std::ifstream in(tracePath);
  const std::string trace((std::istreambuf_iterator<char>(in)), {});
  EXPECT_NE(trace.find(" kermit > I seq 0 \"late\"\n"), std::string::npos) << trace;
}

}  // namespace
}  // namespace dravik
