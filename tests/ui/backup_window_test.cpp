// The "Backup" window: what Archive received, shown as the calculator lists
// it; a variable taken out of it, or sent back alone, is the very object.
#include <QLineEdit>
#include <QTreeWidget>
#include <chrono>
#include <fstream>
#include <iterator>

#include <gtest/gtest.h>

#include "app/backup_window.h"
#include "app/name_dialogs.h"
#include "hpview/remote_view.h"
#include "pcview/pc_view.h"
#include "support/modal_driver.h"
#include "support/pane_events.h"
#include "support/sim_window.h"

namespace dravik {
namespace {

using testing::RowNamed;
using testing::SimWindow;
using Bytes = std::vector<uint8_t>;

Bytes FileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), {});
}

Bytes CalculatorCopy(SimWindow& w, const std::string& folder, const std::string& name) {
  return w.calculator().WithCalculator([&](sim::Calculator& c) { return c.BinaryOf(folder, name); });
}

// The row of a path such as {"HOME", "GAMES", "CHESS"}.
QTreeWidgetItem* ItemAt(QTreeWidget* tree, const QStringList& path) {
  QTreeWidgetItem* item = tree->topLevelItem(0);
  for (qsizetype i = 1; item && i < path.size(); ++i) {
    QTreeWidgetItem* child = nullptr;
    for (int c = 0; c < item->childCount() && !child; ++c)
      if (item->child(c)->text(0) == path[i]) child = item->child(c);
    item = child;
  }
  return item;
}

// Archive with the name MAR99: the window it opens.
CBackupWindow* ArchiveDemoMemory(SimWindow& w) {
  testing::ModalDriver user([](QDialog& d) {
    if (!qobject_cast<CArchiveNameDlg*>(&d)) return;  // the Archiving dialog ends itself
    d.findChild<QLineEdit*>()->setText("MAR99");
    d.accept();
  });
  w.frame().OnArchive();
  w.Settle();
  return w.frame().findChild<CBackupWindow*>();
}

sim::SimOptions AutoEval() {
  sim::SimOptions options;
  options.auto_eval = true;
  options.auto_eval_delay = std::chrono::milliseconds(50);
  return options;
}

TEST(BackupWindow, ArchiveOpensTheTreeAsTheCalculatorListsItAndExtractsByteExact) {
  SimWindow w(AutoEval());
  CRemoteView* list = w.frame().panes().hpList;
  list->RefreshList();
  w.Settle();
  CBackupWindow* window = ArchiveDemoMemory(w);
  ASSERT_NE(window, nullptr) << (w.messages().empty() ? "" : w.messages().back());
  EXPECT_EQ(window->windowTitle(), "Backup - MAR99");
  EXPECT_TRUE(window->damageText().isEmpty());
  QTreeWidget* tree = window->tree();
  ASSERT_EQ(tree->topLevelItemCount(), 1);
  // Each variable of HOME with the size the calculator lists, and the
  // calculator's type words.
  QTreeWidgetItem* home = tree->topLevelItem(0);
  ASSERT_EQ(home->childCount(), list->topLevelItemCount());
  for (int i = 0; i < home->childCount(); ++i) {
    const QTreeWidgetItem* row = home->child(i);
    const QTreeWidgetItem* listed = RowNamed(list, row->text(0));
    ASSERT_NE(listed, nullptr) << row->text(0).toStdString();
    EXPECT_EQ(row->text(2), listed->text(1)) << row->text(0).toStdString();
  }
  EXPECT_EQ(ItemAt(tree, {"", "PI2"})->text(1), "Real Number");
  EXPECT_EQ(ItemAt(tree, {"", "PIC"})->text(1), "Graphic");
  QTreeWidgetItem* board = ItemAt(tree, {"", "GAMES", "CHESS", "BOARD"});
  ASSERT_NE(board, nullptr);
  EXPECT_EQ(QStringList({home->text(0), board->text(1), board->text(2), board->text(3)}),
            QStringList({"MAR99", "List", "62.5", "25845"}));

  // A variable deep down, and a whole directory, come out as the calculator
  // sends them.
  const std::string out = w.pcFolder() / "BOARD";
  ASSERT_TRUE(window->ExtractTo(board, out));
  EXPECT_EQ(FileBytes(out), CalculatorCopy(w, "HOME\\GAMES\\CHESS\\", "BOARD"));
  EXPECT_NE(RowNamed(w.frame().panes().pcList, "BOARD"), nullptr);
  const std::string games = w.pcFolder() / "GAMES";
  ASSERT_TRUE(window->ExtractTo(ItemAt(tree, {"", "GAMES"}), games));
  EXPECT_EQ(FileBytes(games), CalculatorCopy(w, "HOME\\", "GAMES"));
  // An existing file is replaced only when the user says so.
  w.answer = [](const QString&, const QString&) { return MessageAnswer::No; };
  EXPECT_FALSE(window->ExtractTo(ItemAt(tree, {"", "GREET"}), games));
  EXPECT_EQ(w.messages().back(), "Dravik: The file " + games + " already exists\nReplace it?");
  EXPECT_EQ(FileBytes(games), CalculatorCopy(w, "HOME\\", "GAMES"));

  // Opening the backup from the PC list shows the same window.
  window->close();
  CPCView* pcList = w.frame().panes().pcList;
  pcList->OpenItem(RowNamed(pcList, "MAR99"));
  EXPECT_NE(w.frame().findChild<CBackupWindow*>(), nullptr);
}

TEST(BackupWindow, SendToCalculatorStoresOneVariableInTheCurrentDirectoryOnly) {
  SimWindow w(AutoEval());
  CRemoteView* list = w.frame().panes().hpList;
  list->RefreshList();
  w.Settle();
  CBackupWindow* window = ArchiveDemoMemory(w);
  ASSERT_NE(window, nullptr);
  const Bytes greet = CalculatorCopy(w, "HOME\\", "GREET");
  w.calculator().WithCalculator([](sim::Calculator& c) { return c.RunCommandLine("'GREET' PURGE"); });

  list->OpenRow(RowNamed(list, "WORK"));
  w.Settle();
  ASSERT_EQ(w.session().CurrentHPPath, "HOME\\WORK\\");
  JobOutcome outcome = JobOutcome::Failed;
  EXPECT_NE(window->SendToCalculator(ItemAt(window->tree(), {"", "GREET"}),
                                     [&](const JobResult& result) { outcome = result.outcome; }),
            0u);
  w.Settle();
  EXPECT_EQ(outcome, JobOutcome::Completed);
  EXPECT_EQ(CalculatorCopy(w, "HOME\\WORK\\", "GREET"), greet);
  EXPECT_TRUE(CalculatorCopy(w, "HOME\\", "GREET").empty());  // nothing else restored
  EXPECT_NE(RowNamed(list, "GREET"), nullptr);                 // the pane listed again
  EXPECT_EQ(w.pcFolder().Names(), std::vector<std::string>{"MAR99"});  // no temporary left
}

}  // namespace
}  // namespace dravik
