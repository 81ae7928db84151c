// The frame's calculator commands against the simulated calculator: Restore,
// New folder, and the transfer mode with its status pane.
#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QStatusBar>
#include <algorithm>
#include <chrono>
#include <thread>

#include <gtest/gtest.h>

#include "app/name_dialogs.h"
#include "app/restore_command.h"
#include "hpview/remote_view.h"
#include "support/modal_driver.h"
#include "support/pane_events.h"
#include "support/sim_window.h"

namespace dravik {
namespace {

using testing::RowNamed;
using testing::SimWindow;
using Strings = std::vector<std::string>;

Strings Names(SimWindow& w, const std::string& path) {
  return w.calculator().WithCalculator([&](sim::Calculator& c) { return c.VariableNames(path); });
}

bool Holds(const Strings& names, const std::string& name) {
  return std::find(names.begin(), names.end(), name) != names.end();
}

template <typename Condition>
bool Eventually(Condition done) {
  for (int i = 0; i < 500; ++i) {
    if (done()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return done();
}

// The text of the status pane that shows the transfer format.
QString FormatPane(SimWindow& w) {
  w.frame().UpdateStatusPanes();
  for (QLabel* pane : w.frame().statusBar()->findChildren<QLabel*>())
    if (pane->text() == "ASCII" || pane->text() == "Binary") return pane->text();
  return {};
}

TEST(CalculatorCommands, RestoreOnlyAfterTheWholeBackupArrivedUnderItsName) {
  sim::SimOptions options;
  options.auto_eval = true;
  options.auto_eval_delay = std::chrono::milliseconds(200);
  SimWindow w(options);
  CRemoteView* list = w.frame().panes().hpList;
  list->RefreshList();
  // A backup of the demo memory.
  ASSERT_EQ(w.ctx().kermit.StartArchive("MAR99"), 1);
  w.ctx().kermit.ClearFlags();
  ASSERT_EQ(w.ctx().kermit.ReceiveFiles({"MAR99"}), 1);
  w.ctx().kermit.m_noInitPacket = 0;
  ASSERT_TRUE(Eventually([&] { return w.calculator().InServer(); }));
  ASSERT_EQ(w.ctx().kermit.QueryCalculatorState(), 1);
  w.calculator().WithCalculator([](sim::Calculator& c) { return c.RunCommandLine("1 'LATER' STO"); });
  w.ctx().cache.MarkStale();

  // The send was cancelled: the calculator restores nothing.
  list->RunTransfer = [](AppContext& ctx, QWidget* parent) {
    RunTransferDialog(ctx, parent);
    return JobOutcome::Cancelled;
  };
  EXPECT_FALSE(RestoreArchive(w.ctx(), *list, "MAR99"));
  // An older MAR99 is there (the upload above): the new one would be kept
  // as MAR99.1 and the old one restored.
  list->RunTransfer = RunTransferDialog;
  EXPECT_FALSE(RestoreArchive(w.ctx(), *list, "MAR99"));
  EXPECT_TRUE(Holds(Names(w, "HOME\\"), "LATER"));
  ASSERT_EQ(w.messages().size(), 1u);
  EXPECT_EQ(w.messages()[0],
            "Error: MAR99 already exists in HOME\\\nPurge or rename it first. Nothing was restored.");

  // Sent whole under its own name: restored.
  w.calculator().WithCalculator([](sim::Calculator& c) { return c.RunCommandLine("'MAR99' PURGE"); });
  w.ctx().cache.MarkStale();
  EXPECT_TRUE(RestoreArchive(w.ctx(), *list, "MAR99"));
  EXPECT_TRUE(Eventually([&] { return !Holds(Names(w, "HOME\\"), "LATER"); }));

  // No PC file focused: said, not silently ignored.
  EXPECT_FALSE(RestoreArchive(w.ctx(), *list, ""));
  EXPECT_EQ(w.messages().back(), "Error: Choose the backup file in the PC file list first.");
}

TEST(CalculatorCommands, NewFolderRefusesAnExistingNameOfAnyKind) {
  SimWindow w;
  CRemoteView* list = w.frame().panes().hpList;
  list->RefreshList();
  // The name the user types; empty: Cancel.
  QString typed;
  testing::ModalDriver user([&](QDialog& d) {
    if (typed.isEmpty()) return d.reject();
    d.findChild<QLineEdit*>()->setText(typed);
    d.accept();
  });
  typed = "greet";  // the string GREET
  w.frame().OnNewFolder();
  EXPECT_EQ(w.messages(), Strings{"ERROR: Folder already exists!"});
  typed = "NEWDIR";
  w.frame().OnNewFolder();
  EXPECT_EQ(w.ctx().session.CurrentHPPath, "HOME\\");
  ASSERT_NE(RowNamed(list, "NEWDIR"), nullptr);
  EXPECT_EQ(RowNamed(list, "NEWDIR")->text(2), "Directory");
  // Cancel after an earlier name creates nothing.
  typed.clear();
  w.frame().OnNewFolder();
  EXPECT_EQ(user.handled(), 3);
  EXPECT_EQ(w.messages().size(), 1u);
  EXPECT_EQ(list->topLevelItemCount(), 14);
}

TEST(CalculatorCommands, TransferModeFollowsOnlyWhatTheCalculatorTook) {
  SimWindow w;
  ASSERT_EQ(FormatPane(w), "ASCII");
  w.frame().OnBinary();
  EXPECT_EQ(FormatPane(w), "Binary");
  EXPECT_TRUE(w.calculator().WithCalculator([](sim::Calculator& c) { return c.BinaryTransfers(); }));
  // The calculator does not answer: it still sends in binary.
  w.ctx().kermit.CloseAll();
  w.session().LinkClosedByUser = true;
  w.frame().OnAscii();
  EXPECT_EQ(FormatPane(w), "Binary");
  EXPECT_TRUE(w.frame().action(CMainFrame::Command::Binary)->isChecked());
}

}  // namespace
}  // namespace dravik
