// The frame's calculator commands against the simulated calculator: Restore,
// New folder, and the transfer mode with its status pane.
#include <QApplication>
#include <QDialog>
#include <QFileDialog>
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
#include "pcview/pc_view.h"
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

// Runs the restore and waits for its end; whether the command was sent.
bool Restore(SimWindow& w, const std::string& name) {
  bool restored = false;
  RestoreArchive(w.ctx(), *w.frame().panes().hpList, w.pcFolder() / name,
                 [&](bool sent) { restored = sent; });
  w.Settle();
  return restored;
}

TEST(CalculatorCommands, RestoreAsksFirstAndOnlyAfterTheWholeBackupArrivedUnderItsName) {
  sim::SimOptions options;
  options.auto_eval = true;
  options.auto_eval_delay = std::chrono::milliseconds(200);
  SimWindow w(options);
  CRemoteView* list = w.frame().panes().hpList;
  list->RefreshList();
  w.Settle();
  // A backup of the demo memory.
  ASSERT_TRUE(w.OnLine([](LineSide& line) {
    if (!line.kermit.StartArchive("MAR99")) return false;
    const int received = line.kermit.ReceiveFiles({"MAR99"});
    line.kermit.m_noInitPacket = 0;
    return received == 1;
  }));
  ASSERT_TRUE(Eventually([&] { return w.calculator().InServer(); }));
  ASSERT_TRUE(w.OnLine([](LineSide& line) { return line.kermit.QueryCalculatorState() == 1; }));
  w.calculator().WithCalculator([](sim::Calculator& c) { return c.RunCommandLine("1 'LATER' STO"); });
  w.ctx().cache.MarkStale();

  // No to the question: nothing is sent.
  w.answer = [](const QString&, const QString&) { return MessageAnswer::No; };
  EXPECT_FALSE(Restore(w, "MAR99"));
  w.answer = nullptr;
  EXPECT_EQ(w.messages().back().rfind("Restore: Replace the whole memory of the HP48 with the backup "
                                      "MAR99 of 20", 0),
            0u)
      << w.messages().back();
  EXPECT_FALSE(Holds(Names(w, "HOME\\"), "MAR99"));

  // The send is stopped as it starts: the calculator restores nothing.
  auto stop = QObject::connect(&w.ctx().line, &CalculatorLine::changed, [&] {
    if (w.ctx().line.Queue().running.rfind("Sending", 0) == 0) w.ctx().line.Stop();
  });
  EXPECT_FALSE(Restore(w, "MAR99"));
  QObject::disconnect(stop);
  // An older MAR99 is there (the upload above, or a part of it): the new
  // one would be kept as MAR99.1 and the old one restored.
  w.calculator().WithCalculator([](sim::Calculator& c) { return c.RunCommandLine("1 'MAR99' STO"); });
  w.ctx().cache.MarkStale();
  EXPECT_FALSE(Restore(w, "MAR99"));
  EXPECT_TRUE(Holds(Names(w, "HOME\\"), "LATER"));
  EXPECT_EQ(w.messages().back(),
            "Error: MAR99 already exists in HOME\\\nPurge or rename it first. Nothing was restored.");

  // Sent whole under its own name: restored.
  w.calculator().WithCalculator([](sim::Calculator& c) { return c.RunCommandLine("'MAR99' PURGE"); });
  w.ctx().cache.MarkStale();
  EXPECT_TRUE(Restore(w, "MAR99"));
  EXPECT_FALSE(Holds(Names(w, "HOME\\"), "LATER"));
  // Once the restarted calculator serves again, the list shows its memory.
  EXPECT_EQ(RowNamed(list, "LATER"), nullptr);
  EXPECT_NE(RowNamed(list, "GREET"), nullptr);

  // No PC file focused: the backup is chosen in a file dialog.
  const size_t told = w.messages().size();
  QString title;
  testing::ModalDriver user([&](QDialog& d) {
    title = qobject_cast<QFileDialog*>(&d) ? d.windowTitle() : QString();
    d.reject();
  });
  w.frame().panes().pcList->setCurrentItem(nullptr);
  w.frame().OnRestore();
  EXPECT_EQ(title, "Restore");
  EXPECT_EQ(w.messages().size(), told);
}

TEST(CalculatorCommands, NewFolderRefusesAnExistingNameOfAnyKind) {
  SimWindow w;
  CRemoteView* list = w.frame().panes().hpList;
  list->RefreshList();
  w.Settle();
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
  w.Settle();
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
  w.Settle();
  EXPECT_EQ(FormatPane(w), "Binary");
  EXPECT_TRUE(w.calculator().WithCalculator([](sim::Calculator& c) { return c.BinaryTransfers(); }));
  // The calculator does not answer: it still sends in binary.
  w.OnLine([](LineSide& line) {
    line.session.LinkClosedByUser = true;
    return line.kermit.CloseAll();
  });
  w.frame().OnAscii();
  w.Settle();
  EXPECT_EQ(FormatPane(w), "Binary");
  EXPECT_TRUE(w.frame().action(CMainFrame::Command::Binary)->isChecked());
}

}  // namespace
}  // namespace dravik
