// The main window against the simulated calculator.
#include <QAction>
#include <QApplication>
#include <QStatusBar>
#include <QStatusTipEvent>

#include <gtest/gtest.h>

#include "app/app_context.h"
#include "app/main_frame.h"
#include "app/window_boundary.h"
#include "support/sim_window.h"

namespace dravik {
namespace {

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
// message pane: the link's texts must still be seen while it works.
TEST(MainFrame, LinkTextsWinOverAButtonsPromptWhileAnOperationRuns) {
  AppContext ctx;
  WindowBoundary boundary;
  CMainFrame frame(ctx, boundary);
  QStatusTipEvent hover("Read all HP directories.");
  QApplication::sendEvent(&frame, &hover);
  EXPECT_EQ(frame.statusBar()->currentMessage().toStdString(), "Read all HP directories.");
  boundary.SetWaitCursor(true);
  boundary.SetStatusText("Reading HOME\\ ...");
  EXPECT_EQ(frame.statusBar()->currentMessage().toStdString(), "");
  QApplication::sendEvent(&frame, &hover);
  EXPECT_EQ(frame.statusBar()->currentMessage().toStdString(), "");
  EXPECT_EQ(frame.messageText().toStdString(), "Reading HOME\\ ...");
  boundary.SetWaitCursor(false);
}

TEST(MainFrame, ConnectsToTheSimulatedCalculator) {
  testing::SimWindow w;
  EXPECT_EQ(w.session().HPWorkingPath, "HOME\\");
  EXPECT_TRUE(w.messages().empty());
}

}  // namespace
}  // namespace dravik
