// The main window against the simulated calculator.
#include <QAction>
#include <QApplication>
#include <QSplitter>
#include <QStatusBar>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QStatusTipEvent>
#include <QTest>
#include <QTreeWidget>

#include <atomic>
#include <chrono>
#include <thread>

#include <gtest/gtest.h>

#include "app/app_context.h"
#include "app/log_dock.h"
#include "app/main_frame.h"
#include "app/name_dialogs.h"
#include "app/window_boundary.h"
#include "jobs/transfer_job.h"
#include "link/operation_log.h"
#include "hpview/remote_view.h"
#include "pcview/pc_tree_view.h"
#include "pcview/pc_view.h"
#include "platform/mounts.h"
#include "scratch_folder.h"
#include "support/sim_window.h"

namespace dravik {
namespace {

TEST(MainFrame, NewFolderSaysWhyANameIsRefusedAndKeepsIt) {
  AppContext ctx;
  CNewFolderDlg dialog(ctx);
  dialog.show();
  dialog.nameEdit()->setText("my dir");
  dialog.accept();
  EXPECT_TRUE(dialog.isVisible());
  EXPECT_EQ(dialog.nameEdit()->text(), "my dir");
  EXPECT_EQ(dialog.problemLabel()->text(),
            "Not a valid HP48 name: it holds a blank, a control character or one of ' \" # { } [ ] "
            "( ) < > , ; : \\. A name has no blanks; letters, digits and the other characters may "
            "be used, up to 40.");
  EXPECT_TRUE(ctx.NewFolderName.empty());
  dialog.nameEdit()->setText("MYDIR");
  dialog.accept();
  EXPECT_EQ(ctx.NewFolderName, "MYDIR");
}

TEST(MainFrame, SizeBordersAndPcFolderAreKeptForTheNextRun) {
  testing::ScratchFolder folder;
  {
    AppContext ctx;
    WindowBoundary boundary;
    CMainFrame frame(ctx, boundary);
    frame.RememberLayout();
    frame.show();
    frame.resize(900, 600);
    auto* row = qobject_cast<QSplitter*>(frame.panes().pcList->parentWidget());
    ASSERT_NE(row, nullptr);
    const int width = row->sizes()[0] + row->sizes()[1];
    row->setSizes({width / 2, width - width / 2});
    emit row->splitterMoved(width / 2, 1);
    ctx.session.CurrentPCFolder = folder.path();
    frame.action(CMainFrame::Command::ShowHiddenFiles)->trigger();
    frame.close();
  }
  AppContext ctx;
  WindowBoundary boundary;
  CMainFrame frame(ctx, boundary);
  frame.RememberLayout();
  frame.show();
  EXPECT_EQ(frame.size(), QSize(900, 600));
  const QList<int> columns =
      qobject_cast<QSplitter*>(frame.panes().hpList->parentWidget())->sizes();
  EXPECT_NEAR(columns[0], columns[1], 2) << "the border moved to the middle stays there";
  EXPECT_EQ(ctx.session.CurrentPCFolder, folder.path());
  EXPECT_TRUE(ctx.ShowHiddenFiles);
  EXPECT_TRUE(frame.action(CMainFrame::Command::ShowHiddenFiles)->isChecked());
  frame.action(CMainFrame::Command::ShowHiddenFiles)->trigger();  // as other tests expect
  frame.close();
}

TEST(MainFrame, StatusPanesFollowTheSettings) {
  AppContext ctx;
  WindowBoundary boundary;
  CMainFrame frame(ctx, boundary);
  ctx.session.Settings.BaudRate = 2400;
  ctx.session.Settings.PortNumber = 3;
  ctx.session.BinaryMode = false;
  frame.UpdateStatusPanes();
  EXPECT_TRUE(frame.action(CMainFrame::Command::Ascii)->isChecked());
  EXPECT_FALSE(frame.action(CMainFrame::Command::Binary)->isChecked());
  EXPECT_EQ(frame.messageText(), "Ready");
}

// The mouse resting on a toolbar button shows its prompt, which covers the
// message pane: the line's texts must still be seen while it works.
TEST(MainFrame, LinkTextsWinOverAButtonsPromptWhileAnOperationRuns) {
  AppContext ctx;
  WindowBoundary boundary;
  ctx.line.SetWindow(&boundary);
  CMainFrame frame(ctx, boundary);
  QStatusTipEvent hover("Read all HP directories.");
  QApplication::sendEvent(&frame, &hover);
  EXPECT_EQ(frame.statusBar()->currentMessage().toStdString(), "Read all HP directories.");
  std::atomic<bool> release{false};
  ctx.line.Run<int>("Reading HOME\\", [&](LineSide& line) {
    line.session.MainWindow->SetStatusText("Reading HOME\\ ...");
    while (!release) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    return 0;
  });
  for (int i = 0; i < 200 && frame.messageText() != "Reading HOME\\ ..."; ++i) QTest::qWait(5);
  EXPECT_EQ(frame.statusBar()->currentMessage().toStdString(), "");
  QApplication::sendEvent(&frame, &hover);
  EXPECT_EQ(frame.statusBar()->currentMessage().toStdString(), "");
  EXPECT_EQ(frame.messageText().toStdString(), "Reading HOME\\ ...");
  // Stop is there for what runs, and the commands that need the line say
  // why they wait.
  EXPECT_TRUE(frame.action(CMainFrame::Command::Stop)->isEnabled());
  EXPECT_FALSE(frame.action(CMainFrame::Command::ReadAll)->isEnabled());
  EXPECT_EQ(frame.action(CMainFrame::Command::ReadAll)->toolTip(),
            "Read all - the line is busy: Reading HOME\\ (Stop ends it)");
  release = true;
  ASSERT_TRUE(ctx.line.Settle(5000));
  EXPECT_TRUE(frame.action(CMainFrame::Command::ReadAll)->isEnabled());
  EXPECT_FALSE(frame.action(CMainFrame::Command::Stop)->isEnabled());
  EXPECT_EQ(frame.messageText(), "Ready");
}

// Nothing the window shows stays behind what happened: a button's prompt
// after its command, the check's "Reading ..." after a job, the drive
// selector after Panic, the log's oldest rows when it is opened.
TEST(MainFrame, WhatTheWindowShowsIsCurrentAfterEachCommand) {
  testing::SimWindow w;
  CMainFrame& frame = w.frame();
  frame.show();
  QStatusTipEvent hover("Check all files for their content");
  QApplication::sendEvent(&frame, &hover);
  frame.action(CMainFrame::Command::CheckOut)->trigger();
  EXPECT_EQ(frame.statusBar()->currentMessage().toStdString(), "");

  // Binary objects are checked against a listing read after the job.
  frame.action(CMainFrame::Command::Binary)->trigger();
  w.Settle();
  ASSERT_TRUE(w.session().BinaryMode);
  TransferJob& job = w.session().Job;
  job.Clear();
  job.TransferList = {"PIC"};
  job.ReceiveJobActive = true;
  ASSERT_EQ(w.RunJob(), JobOutcome::Completed);
  job.Clear();
  EXPECT_EQ(frame.messageText().toStdString(), "Ready");

  QComboBox* drives = frame.driveSelector();
  drives->clear();
  frame.action(CMainFrame::Command::Panic)->trigger();
  w.Settle();
  EXPECT_EQ(drives->count(), static_cast<int>(frame.panes().pcTree->Drives().size()));
  EXPECT_EQ(drives->currentData().toByteArray().toStdString(),
            DriveOf(MountedDrives(), w.session().CurrentPCFolder)->path);

  for (int i = 0; i < 30; ++i) LoggedOperation(&w.ctx().log, "Entry " + std::to_string(i)).End(LogOutcome::Done);
  QTreeWidget* log = frame.logDock()->List();
  for (int i = 0; i < 500 && log->topLevelItemCount() < 30; ++i) QTest::qWait(10);
  frame.action(CMainFrame::Command::Log)->trigger();
  QTest::qWait(50);
  const QRect last = log->visualItemRect(log->topLevelItem(log->topLevelItemCount() - 1));
  EXPECT_TRUE(log->viewport()->rect().contains(last)) << last.y();
}

TEST(MainFrame, EveryMenuCommandHasAStatusTipAndStopIsInTheHp48Menu) {
  AppContext ctx;
  WindowBoundary boundary;
  CMainFrame frame(ctx, boundary);
  QMenu* hp = nullptr;
  std::vector<QAction*> pending;
  for (QAction* top : frame.menuBar()->actions()) {
    if (top->text() == "HP&48") hp = top->menu();
    pending.push_back(top);
  }
  while (!pending.empty()) {
    QAction* a = pending.back();
    pending.pop_back();
    if (a->menu()) {
      for (QAction* inside : a->menu()->actions()) pending.push_back(inside);
    } else if (!a->isSeparator()) {
      EXPECT_FALSE(a->statusTip().isEmpty()) << a->text().toStdString();
    }
  }
  ASSERT_NE(hp, nullptr);
  EXPECT_TRUE(hp->actions().contains(frame.action(CMainFrame::Command::Stop)));
  EXPECT_EQ(frame.action(CMainFrame::Command::Stop)->shortcut(), QKeySequence(Qt::Key_Escape));
  EXPECT_EQ(frame.action(CMainFrame::Command::Archive)->text(), "&Archive...");
}

TEST(MainFrame, ConnectsToTheSimulatedCalculator) {
  testing::SimWindow w;
  EXPECT_EQ(w.session().HPWorkingPath, "HOME\\");
  EXPECT_TRUE(w.messages().empty());
}

}  // namespace
}  // namespace dravik
