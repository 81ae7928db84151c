// Compare with PC folder and Sync to PC in the window, against the
// simulated calculator: the marks and tool tips of both lists, the filter,
// the list a sync shows first, and what the sync leaves on disk and in the
// marks. A PC file edited since the last sync stays as it is; Sync to
// calculator makes the directories a subfolder needs.
#include <filesystem>

#include <QAction>
#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include "app/compare_bar.h"
#include "app/sync_plan_dlg.h"
#include "hpview/remote_view.h"
#include "jobs/transfer_dlg.h"
#include "pcview/pc_view.h"
#include "support/modal_driver.h"
#include "support/pane_events.h"
#include "support/sim_window.h"

namespace dravik {
namespace {

using testing::ReadBytes;
using testing::RowNamed;
using testing::SimWindow;
using testing::WriteBytes;
using Command = CMainFrame::Command;

std::string Tip(QTreeWidget* list, const char* name) {
  QTreeWidgetItem* row = RowNamed(list, name);
  return row ? row->toolTip(0).toStdString() : std::string("(no row ") + name + ")";
}

bool Hidden(QTreeWidget* list, const char* name) {
  QTreeWidgetItem* row = RowNamed(list, name);
  return row && row->isHidden();
}

// Runs a sync (to the PC unless told otherwise), answering its list with OK;
// the list's lines as "object: what happens". shown gets the items the
// transfer dialog showed.
QStringList SyncToPc(SimWindow& w, QStringList* shown, Command sync = Command::SyncToPc) {
  QStringList lines;
  testing::ModalDriver user([&lines](QDialog& d) {
    auto* plan = qobject_cast<CSyncPlanDlg*>(&d);
    if (!plan) return d.reject();
    for (int i = 0; i < plan->list()->topLevelItemCount(); ++i)
      lines << plan->list()->topLevelItem(i)->text(0) + ": " + plan->list()->topLevelItem(i)->text(1);
    plan->okButton()->click();
  });
  w.frame().action(sync)->trigger();
  const QList<CTransferDlg*> dialogs = w.frame().findChildren<CTransferDlg*>();
  EXPECT_EQ(dialogs.size(), 1);
  for (CTransferDlg* dialog : dialogs)
    QObject::connect(dialog, &CTransferDlg::progressShown, [dialog, shown](int code, long) {
      if (code == kProgressItem) *shown << dialog->ItemText();
    });
  w.Settle();
  lines.sort();
  return lines;
}

TEST(CompareSync, MarksFilterAndSyncToPcKeepingWhatThePcChanged) {
  SimWindow w;
  w.calculator().WithCalculator(
      [](sim::Calculator& c) { return c.RunCommandLine("HOME WORK 7 'SEVEN' STO HOME"); });
  const std::string text = "%%HP: T(3)A(D)F(.);\r\n\"other\"\r\n";
  WriteBytes(w.pcFolder() / "NOTES", std::vector<uint8_t>(text.begin(), text.end()));
  WriteBytes(w.pcFolder() / "EXTRA", std::vector<uint8_t>(text.begin(), text.end()));
  w.frame().show();
  CRemoteView* calc = w.frame().panes().hpList;
  CPCView* pc = w.frame().panes().pcList;
  w.session().CurrentHPPath = "HOME\\WORK\\";
  calc->RefreshList();
  pc->Refresh();
  w.Settle();

  w.frame().action(Command::Compare)->trigger();
  w.Settle();
  EXPECT_EQ(Tip(calc, "RATE"), "Only on the calculator");
  EXPECT_EQ(Tip(calc, "NOTES"), "Not compared: a text file");
  EXPECT_EQ(Tip(pc, "NOTES"), "Not compared: a text file");
  EXPECT_EQ(Tip(pc, "EXTRA"), "Only on the PC");
  ASSERT_TRUE(w.frame().compareBar()->isVisible());
  EXPECT_TRUE(w.frame().compareBar()->LegendText().contains("Only on the calculator&nbsp;3"))
      << w.frame().compareBar()->LegendText().toStdString();

  // What only the calculator has comes over; the text file stays.
  QStringList shown;
  EXPECT_EQ(SyncToPc(w, &shown), (QStringList{"AREA: Copy to the PC", "NOTES: Stays: a text file",
                                      "RATE: Copy to the PC", "SEVEN: Copy to the PC"}));
  EXPECT_EQ(Tip(calc, "RATE"), "Same");
  EXPECT_EQ(Tip(pc, "RATE"), "Same");
  EXPECT_EQ(Tip(pc, "SEVEN"), "Same");
  // One list for the whole sync, each object named as it comes.
  EXPECT_EQ(shown, (QStringList{"Receiving File: HOME\\WORK\\SEVEN",
                                "Receiving File: HOME\\WORK\\AREA",
                                "Receiving File: HOME\\WORK\\RATE"}));
  EXPECT_EQ(Tip(pc, "NOTES"), "Not compared: a text file");
  const std::vector<uint8_t> rate = ReadBytes(w.pcFolder() / "RATE");
  ASSERT_FALSE(rate.empty());

  // RATE changes on the calculator, AREA on the PC.
  w.calculator().WithCalculator(
      [](sim::Calculator& c) { return c.RunCommandLine("HOME WORK 0.08 'RATE' STO"); });
  WriteBytes(w.pcFolder() / "AREA", rate);
  w.frame().action(Command::Compare)->trigger();
  w.Settle();
  EXPECT_EQ(Tip(calc, "RATE"), "Differs: calculator 19 bytes #7CAFh, PC 19 bytes #57AFh");
  EXPECT_EQ(Tip(pc, "AREA"),
            "Differs: calculator Program 50.5 bytes #48BFh, PC Real Number 19 bytes #57AFh");

  w.frame().action(Command::DifferencesOnly)->setChecked(true);
  EXPECT_TRUE(Hidden(calc, "SEVEN"));
  EXPECT_TRUE(Hidden(pc, "SEVEN"));
  EXPECT_FALSE(Hidden(calc, "RATE"));
  EXPECT_FALSE(Hidden(pc, "EXTRA"));

  shown.clear();
  EXPECT_EQ(SyncToPc(w, &shown),
            (QStringList{"AREA: Stays: changed on the PC since the last sync",
                         "NOTES: Stays: a text file", "RATE: Copy to the PC, replacing the PC file"}));
  EXPECT_EQ(shown, QStringList{"Receiving File: HOME\\WORK\\RATE"});
  EXPECT_EQ(Tip(calc, "RATE"), "Same");
  EXPECT_EQ(Tip(pc, "RATE"), "Same");
  EXPECT_NE(ReadBytes(w.pcFolder() / "RATE"), rate);
  EXPECT_EQ(ReadBytes(w.pcFolder() / "AREA"), rate);
  EXPECT_TRUE(Hidden(pc, "RATE"));

  // Another folder: the marks go.
  calc->GoUp();
  w.Settle();
  EXPECT_FALSE(w.frame().compareBar()->isVisible());
  EXPECT_EQ(Tip(pc, "RATE"), "");
  EXPECT_FALSE(Hidden(pc, "RATE"));
  EXPECT_TRUE(w.messages().empty()) << w.messages()[0];
}

// What only the PC has goes to the calculator, a subfolder as a new
// directory, and the marks then say the two sides are the same.
TEST(CompareSync, SyncToCalculatorSendsWhatOnlyThePcHasMakingDirectories) {
  SimWindow w;
  const sim::Bytes rate = w.calculator().WithCalculator(
      [](sim::Calculator& c) { return c.BinaryOf("HOME\\WORK\\", "RATE"); });
  ASSERT_FALSE(rate.empty());
  WriteBytes(w.pcFolder() / "RATE", rate);
  WriteBytes(w.pcFolder() / "COPY", rate);
  std::filesystem::create_directory(w.pcFolder() / "NEWDIR");
  WriteBytes(w.pcFolder() / "NEWDIR/INNER", rate);
  w.frame().show();
  CRemoteView* calc = w.frame().panes().hpList;
  CPCView* pc = w.frame().panes().pcList;
  w.session().CurrentHPPath = "HOME\\WORK\\";
  calc->RefreshList();
  pc->Refresh();
  w.Settle();
  w.frame().action(Command::Compare)->trigger();
  w.Settle();
  EXPECT_EQ(Tip(pc, "COPY"), "Only on the PC");

  QStringList shown;
  const QStringList plan = SyncToPc(w, &shown, Command::SyncToCalculator);
  EXPECT_TRUE(plan.contains("COPY: Copy to the calculator")) << plan.join("\n").toStdString();
  EXPECT_TRUE(plan.contains("NEWDIR\\INNER: Copy to the calculator")) << plan.join("\n").toStdString();
  EXPECT_FALSE(plan.filter("RATE:").join("").contains("Copy")) << plan.join("\n").toStdString();
  w.calculator().WithCalculator([&](sim::Calculator& c) {
    EXPECT_EQ(c.BinaryOf("HOME\\WORK\\", "COPY"), rate);
    EXPECT_EQ(c.TypeOf("HOME\\WORK\\", "NEWDIR"), "Directory");
    EXPECT_EQ(c.BinaryOf("HOME\\WORK\\NEWDIR\\", "INNER"), rate);
    return 0;
  });
  EXPECT_EQ(Tip(calc, "COPY"), "Same");
  EXPECT_EQ(Tip(pc, "COPY"), "Same");
  EXPECT_TRUE(RowNamed(calc, "NEWDIR"));
  EXPECT_TRUE(w.messages().empty()) << w.messages()[0];
}

}  // namespace
}  // namespace dravik
