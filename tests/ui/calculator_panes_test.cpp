// The calculator panes against the simulated calculator: Read all and
// browsing, deleting, selections, and drops on the object list and the tree.
#include <QApplication>
#include <QTest>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <thread>

#include <gtest/gtest.h>

#include "hpview/hp_tree_view.h"
#include "hpview/remote_view.h"
#include "support/pane_events.h"
#include "support/sim_window.h"

namespace dravik {
namespace {

using testing::DesktopData;
using testing::DropOn;
using testing::PaneDragData;
using testing::RowNamed;
using testing::RowNames;
using testing::SimWindow;
using Strings = std::vector<std::string>;

// The demo memory, or an empty one, changed by the commands.
sim::Calculator Memory(const std::string& commands, bool demo = true) {
  sim::Calculator c = demo ? sim::Calculator::Demo() : sim::Calculator();
  c.RunCommandLine(commands);
  return c;
}

Strings Names(SimWindow& w, const std::string& path) {
  return w.calculator().WithCalculator([&](sim::Calculator& c) { return c.VariableNames(path); });
}

bool Holds(const Strings& names, const std::string& name) {
  return std::find(names.begin(), names.end(), name) != names.end();
}

// The window on screen with the calculator panes filled, as after start-up.
struct Panes {
  explicit Panes(SimWindow& w) : list(w.frame().panes().hpList), tree(w.frame().panes().hpTree) {
    w.frame().show();
    list->RefreshList();
    w.Settle();
    tree->RebuildTree();
    QApplication::processEvents();
  }
  CRemoteView* list;
  CHPTreeView* tree;
};

// What the PC file list leaves in the session when the user starts
// dragging files.
void StartPcDrag(SimWindow& w, const Strings& files) {
  w.session().Job.Clear();
  w.session().Job.SendJobActive = true;
  w.session().Job.TransferList = files;
}

// What the object list leaves when the user starts dragging rows.
void StartObjectDrag(SimWindow& w, CRemoteView* list, const QStringList& rows) {
  list->clearSelection();
  for (const QString& r : rows) RowNamed(list, r)->setSelected(true);
  w.session().Job.Clear();
  w.session().Job.ReceiveJobActive = true;
  list->CollectSelection();
}

// Stands between the line and the window: sees each status text on the
// line's own thread (after passing it on) before the operation goes on, so
// that a test acts at an exact point of it.
class LineWatch : public MainWindowHandle {
 public:
  LineWatch(SimWindow& w, std::function<void(const std::string&)> seen)
      : w_(w), seen_(std::move(seen)) {
    w_.ctx().line.SetWindow(this);
  }
  ~LineWatch() override { w_.ctx().line.SetWindow(&w_.boundary()); }
  MessageAnswer ShowMessage(std::string_view text, std::string_view caption, MessageIcon icon,
                            MessageButtons buttons) override {
    return w_.boundary().ShowMessage(text, caption, icon, buttons);
  }
  void ShowNoResponse(std::string_view text) override { w_.boundary().ShowNoResponse(text); }
  SettingsAnswer RunCommSettingsDialog(LinkSettings& settings) override {
    return w_.boundary().RunCommSettingsDialog(settings);
  }
  void SetStatusText(std::string_view text) override {
    w_.boundary().SetStatusText(text);
    seen_(std::string(text));
  }
  void SetWaitCursor(bool on) override { w_.boundary().SetWaitCursor(on); }

 private:
  SimWindow& w_;
  std::function<void(const std::string&)> seen_;
};

int TreeImageOf(CHPTreeView* tree, const std::string& path) {
  QTreeWidgetItem* item = tree->ItemOfPath(path);
  return item ? item->data(0, CHPTreeView::kImageRole).toInt() : -1;
}

TEST(CalculatorPanes, ReadAllReadsEachDirectoryAndBrowsingAfterwardsSendsNothing) {
  // HOME lists A (holding B) before D: the newest variable comes first.
  SimWindow w({}, true, Memory("'D' CRDIR 'A' CRDIR A 'B' CRDIR HOME", false));
  Panes p(w);
  Strings walked;
  auto show = w.boundary().statusText;
  w.boundary().statusText = [&](const QString& text) {
    if (text.startsWith("Reading ") && text.endsWith(" ...")) walked.push_back(text.toStdString());
    show(text);
  };
  w.frame().OnReadAll();
  w.Settle();
  EXPECT_EQ(walked, (Strings{"Reading HOME\\ (1 of 1) ...", "Reading HOME\\A\\ (2 of 3) ...",
                             "Reading HOME\\A\\B\\ (3 of 4) ...", "Reading HOME\\D\\ (4 of 4) ..."}));
  EXPECT_EQ(w.session().CurrentHPPath, "HOME\\");
  EXPECT_EQ(TreeImageOf(p.tree, "HOME\\A\\"), kTreeDirCurrent);
  EXPECT_EQ(TreeImageOf(p.tree, "HOME\\D\\"), kTreeDirCurrent);
  // A holds B, which the tree took in as it was read: A can be opened, D not.
  EXPECT_EQ(TreeImageOf(p.tree, "HOME\\A\\B\\"), kTreeDirCurrent);
  EXPECT_EQ(p.tree->ItemOfPath("HOME\\A\\")->childIndicatorPolicy(), QTreeWidgetItem::ShowIndicator);
  EXPECT_EQ(p.tree->ItemOfPath("HOME\\D\\")->childIndicatorPolicy(),
            QTreeWidgetItem::DontShowIndicatorWhenChildless);
  EXPECT_EQ(RowNamed(p.list, "A")->data(0, CRemoteView::kIconRole).toInt(), kIconDirCurrent);

  // A silent calculator: any read now would end in "No response".
  w.calculator().SetSilent(true);
  w.OnLine([](LineSide& line) { return line.kermit.SetTimeouts(1); });
  p.tree->setCurrentItem(p.tree->ItemOfPath("HOME\\A\\"));
  EXPECT_EQ(RowNames(p.list), (QStringList{"..", "B"}));
  p.list->setCurrentItem(RowNamed(p.list, "B"));
  QTest::keyClick(p.list, Qt::Key_Return);
  EXPECT_EQ(w.session().CurrentHPPath, "HOME\\A\\B\\");
  EXPECT_EQ(p.tree->currentItem(), p.tree->ItemOfPath("HOME\\A\\B\\"));
  QTest::keyClick(p.list, Qt::Key_Backspace);
  QTest::keyClick(p.list, Qt::Key_Backspace);
  EXPECT_EQ(w.session().CurrentHPPath, "HOME\\");
  EXPECT_TRUE(w.messages().empty());
}

TEST(CalculatorPanes, ReadAllKeepsTheTreeAndEachDirectoryCanBeBrowsedOnceRead) {
  SimWindow w;
  Panes p(w);
  // The walk waits at its last directory until the user has browsed.
  std::atomic<bool> browsed{false};
  LineWatch watch(w, [&](const std::string& text) {
    if (text.find("(4 of 4)") == std::string::npos) return;
    for (int i = 0; i < 1000 && !browsed; ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
  });
  QStringList rowsMidWalk;
  bool gamesInTree = false;
  auto show = w.boundary().statusText;
  w.boundary().statusText = [&](const QString& text) {
    show(text);
    if (!text.contains("(4 of 4)") || browsed) return;
    EXPECT_EQ(w.ctx().line.Queue().running, "Reading all directories");
    gamesInTree = p.tree->ItemOfPath("HOME\\GAMES\\") != nullptr;
    p.list->OpenRow(RowNamed(p.list, "GAMES"));
    rowsMidWalk = RowNames(p.list);
    browsed = true;
  };
  w.frame().OnReadAll();
  w.Settle();
  EXPECT_TRUE(gamesInTree);
  EXPECT_EQ(rowsMidWalk, (QStringList{"..", "CHESS", "DICE", "PLAYER", "HISCORE"}));
  EXPECT_EQ(w.session().CurrentHPPath, "HOME\\GAMES\\");
  EXPECT_EQ(TreeImageOf(p.tree, "HOME\\GAMES\\CHESS\\"), kTreeDirCurrent);
  EXPECT_EQ(TreeImageOf(p.tree, "HOME\\WORK\\"), kTreeDirCurrent);
  EXPECT_TRUE(w.messages().empty());
}

TEST(CalculatorPanes, ACalculatorFallenSilentInReadAllIsToldOnceAndWhatWasReadStays) {
  SimWindow w;
  Panes p(w);
  w.boundary().commSettingsDialog = [](LinkSettings&) { return SettingsAnswer::Cancel; };  // Exit
  w.OnLine([](LineSide& line) { return line.kermit.m_msPerSecond = 20; });
  // Silent once HOME has been read again, as the walk asks for GAMES.
  LineWatch watch(w, [&](const std::string& text) {
    if (text.rfind("Reading HOME\\GAMES\\", 0) == 0) w.calculator().SetSilent(true);
  });
  w.frame().OnReadAll();
  w.Settle();
  w.calculator().SetSilent(false);
  EXPECT_EQ(w.messages(),
            Strings{"Error: No response from HP48\n\nPut your HP in Server-Mode and check the "
                    "settings"});
  EXPECT_EQ(w.session().CurrentHPPath, "HOME\\");
  EXPECT_NE(RowNamed(p.list, "GREET"), nullptr);
  EXPECT_EQ(RowNamed(p.list, "Could not read HOME\\ (F5 reads it again)"), nullptr);
  EXPECT_TRUE(p.tree->ItemOfPath("HOME\\GAMES\\") && p.tree->ItemOfPath("HOME\\WORK\\"));
}

TEST(CalculatorPanes, AListingThatCouldNotBeReadIsNotShownAsAnEmptyDirectory) {
  SimWindow w;
  Panes p(w);
  w.boundary().commSettingsDialog = [](LinkSettings&) { return SettingsAnswer::Cancel; };
  // Time-outs of a few tens of milliseconds.
  w.OnLine([](LineSide& line) { return line.kermit.m_msPerSecond = 20; });
  w.calculator().SetSilent(true);
  w.session().CurrentHPPath = "HOME\\WORK\\";
  p.list->RefreshList();
  w.Settle();
  EXPECT_EQ(RowNames(p.list), (QStringList{"..", "Could not read HOME\\WORK\\ (F5 reads it again)"}));
  p.list->selectAll();  // the row is no object to send, delete or move
  EXPECT_TRUE(p.list->selectedItems().empty());
}

TEST(CalculatorPanes, DeleteAsksFirstAndPurgesOnlyWhatIsShown) {
  SimWindow w({}, true, Memory("7 'X' STO GAMES 8 'X' STO HOME"));
  Panes p(w);
  w.frame().OnReadAll();
  w.Settle();
  p.tree->setCurrentItem(p.tree->ItemOfPath("HOME\\GAMES\\"));
  ASSERT_EQ(w.session().HPWorkingPath, "HOME\\");  // browsing the cache left it there

  // No to the question: a variable and a directory both stay.
  w.answer = [](const QString&, const QString&) { return MessageAnswer::No; };
  RowNamed(p.list, "X")->setSelected(true);
  RowNamed(p.list, "CHESS")->setSelected(true);
  p.list->DeleteSelection();
  w.Settle();
  EXPECT_TRUE(Holds(Names(w, "HOME\\GAMES\\"), "X"));
  EXPECT_TRUE(Holds(Names(w, "HOME\\GAMES\\"), "CHESS"));

  // Yes: both go, from the directory shown and from no other.
  w.answer = nullptr;
  p.list->DeleteSelection();
  w.Settle();
  EXPECT_FALSE(Holds(Names(w, "HOME\\GAMES\\"), "X"));
  EXPECT_FALSE(Holds(Names(w, "HOME\\GAMES\\"), "CHESS"));
  EXPECT_TRUE(Holds(Names(w, "HOME\\"), "X"));
  EXPECT_EQ(RowNamed(p.list, "X"), nullptr);
  EXPECT_EQ(RowNamed(p.list, "CHESS"), nullptr);
  EXPECT_EQ(p.tree->ItemOfPath("HOME\\GAMES\\CHESS\\"), nullptr);
  const std::string question =
      "Dravik: Delete 2 objects from HOME\\GAMES\\?\n\nCHESS and X\n\n"
      "Directories go with everything in them: CHESS";
  EXPECT_EQ(w.messages(), (Strings{question, question}));
}

TEST(CalculatorPanes, DotDotIsNeverMovedAndManyObjectsMoveAndGoTogether) {
  std::string fill = "'BIG' CRDIR BIG ";
  for (int i = 1; i <= 201; ++i) fill += std::to_string(i) + ".5 'V" + std::to_string(i) + "' STO ";
  SimWindow w({}, true, Memory(fill + "HOME"));
  Panes p(w);
  p.list->OpenRow(RowNamed(p.list, "BIG"));
  w.Settle();
  ASSERT_EQ(p.list->topLevelItemCount(), 202);
  p.list->selectAll();
  EXPECT_FALSE(RowNamed(p.list, "..")->isSelected());
  EXPECT_EQ(p.list->CollectSelection(), 201);
  const TransferJob& job = w.session().Job;
  ASSERT_EQ(job.TransferSizes.size(), 201u);
  EXPECT_FALSE(Holds(job.TransferList, ".."));

  w.session().Job.ReceiveJobActive = true;
  EXPECT_TRUE(DropOn(p.list, RowNamed(p.list, ".."), *PaneDragData()));
  EXPECT_TRUE(Names(w, "HOME\\BIG\\").empty());
  EXPECT_TRUE(Holds(Names(w, "HOME\\"), "V201"));
  EXPECT_EQ(RowNames(p.list), QStringList{".."});

  // And all of them deleted together.
  QTest::keyClick(p.list, Qt::Key_Backspace);
  w.Settle();
  for (int i = 0; i < p.list->topLevelItemCount(); ++i)
    p.list->topLevelItem(i)->setSelected(p.list->topLevelItem(i)->text(0).startsWith("V"));
  p.list->DeleteSelection();
  w.Settle();
  EXPECT_FALSE(Holds(Names(w, "HOME\\"), "V1"));
  EXPECT_FALSE(Holds(Names(w, "HOME\\"), "V201"));
  EXPECT_EQ(RowNamed(p.list, "V1"), nullptr);
  EXPECT_EQ(w.messages().size(), 1u);  // the one question
}

// What the log says of the last send.
std::string LastLogged(SimWindow& w) {
  const std::vector<LogEntry> entries = w.ctx().log.Entries();
  for (auto it = entries.rbegin(); it != entries.rend(); ++it)
    if (it->what.rfind("Send ", 0) == 0) return it->what;
  return {};
}

TEST(CalculatorPanes, DropsOnTheObjectList) {
  sim::SimOptions options;
  options.auto_eval = true;
  options.auto_eval_delay = std::chrono::milliseconds(200);
  SimWindow w(options);
  Panes p(w);
  // The calculator's own binary form, which its XModem receiver stores.
  const auto greet =
      w.calculator().WithCalculator([](sim::Calculator& c) { return c.BinaryOf("HOME\\", "GREET"); });
  testing::WriteBytes(w.pcFolder() / "N1", greet);
  testing::WriteBytes(w.pcFolder() / "N2", {'3', '4'});
  // PC files on a directory row, Shift held: by XModem into that directory.
  StartPcDrag(w, {w.pcFolder() / "N1"});
  EXPECT_TRUE(DropOn(p.list, RowNamed(p.list, "GAMES"), *PaneDragData(), Qt::ShiftModifier));
  EXPECT_EQ(LastLogged(w), "Send N1 (XModem)");
  EXPECT_TRUE(Holds(Names(w, "HOME\\GAMES\\"), "N1"));
  EXPECT_EQ(w.session().CurrentHPPath, "HOME\\GAMES\\");
  EXPECT_NE(RowNamed(p.list, "N1"), nullptr);  // read again after the send
  EXPECT_FALSE(w.session().Job.SendJobActive);

  // Desktop files on empty space: by Kermit into the shown directory.
  EXPECT_TRUE(DropOn(p.list, nullptr, *DesktopData({QString::fromStdString(w.pcFolder() / "N2")})));
  EXPECT_EQ(LastLogged(w), "Send N2 (Kermit)");
  EXPECT_NE(RowNamed(p.list, "N2"), nullptr);

  // Objects dropped on an object row stay; on ".." they move up.
  StartObjectDrag(w, p.list, {"HISCORE"});
  EXPECT_FALSE(DropOn(p.list, RowNamed(p.list, "PLAYER"), *PaneDragData()));
  EXPECT_TRUE(Holds(Names(w, "HOME\\GAMES\\"), "HISCORE"));
  StartObjectDrag(w, p.list, {"HISCORE"});
  EXPECT_TRUE(DropOn(p.list, RowNamed(p.list, ".."), *PaneDragData()));
  EXPECT_TRUE(Holds(Names(w, "HOME\\"), "HISCORE"));
  EXPECT_EQ(RowNamed(p.list, "HISCORE"), nullptr);
  EXPECT_TRUE(w.messages().empty());
}

TEST(CalculatorPanes, DropsOnTheTree) {
  SimWindow w;
  Panes p(w);
  testing::WriteBytes(w.pcFolder() / "N1", {'1', '2'});
  const QString workSize = RowNamed(p.list, "WORK")->text(1);
  // PC files on another item: sent there, and the list follows.
  StartPcDrag(w, {w.pcFolder() / "N1"});
  EXPECT_TRUE(DropOn(p.tree, p.tree->ItemOfPath("HOME\\WORK\\"), *PaneDragData()));
  EXPECT_TRUE(Holds(Names(w, "HOME\\WORK\\"), "N1"));
  EXPECT_EQ(w.session().CurrentHPPath, "HOME\\WORK\\");
  EXPECT_NE(RowNamed(p.list, "N1"), nullptr);
  EXPECT_EQ(p.tree->currentItem(), p.tree->ItemOfPath("HOME\\WORK\\"));

  // Objects on the item of the shown directory stay.
  p.list->GoUp();
  w.Settle();
  // WORK grew by N1: HOME shows its new size.
  EXPECT_NE(RowNamed(p.list, "WORK")->text(1), workSize);
  p.list->OpenRow(RowNamed(p.list, "GAMES"));
  w.Settle();
  p.list->GoUp();
  w.Settle();
  StartObjectDrag(w, p.list, {"PI2"});
  EXPECT_FALSE(DropOn(p.tree, p.tree->ItemOfPath("HOME\\"), *PaneDragData()));
  // A directory moved to another item: its tree item and cached listing go.
  StartObjectDrag(w, p.list, {"GAMES", "PI2"});
  EXPECT_TRUE(DropOn(p.tree, p.tree->ItemOfPath("HOME\\WORK\\"), *PaneDragData()));
  EXPECT_TRUE(Holds(Names(w, "HOME\\WORK\\"), "GAMES"));
  EXPECT_TRUE(Holds(Names(w, "HOME\\WORK\\"), "PI2"));
  EXPECT_EQ(RowNamed(p.list, "GAMES"), nullptr);
  EXPECT_EQ(p.tree->ItemOfPath("HOME\\GAMES\\"), nullptr);
  EXPECT_EQ(w.ctx().cache.IsStale("HOME\\GAMES\\"), 1);
  EXPECT_EQ(TreeImageOf(p.tree, "HOME\\WORK\\"), kTreeDirStale);
  EXPECT_TRUE(w.messages().empty());
}

TEST(CalculatorPanes, XModemDropOnATreeItemKeepsTheNameFreeThere) {
  // HOME holds GREET, WORK does not: the object keeps its name in WORK.
  sim::SimOptions options;
  options.auto_eval = true;
  options.auto_eval_delay = std::chrono::milliseconds(200);
  SimWindow w(options);
  Panes p(w);
  const auto greet = w.calculator().WithCalculator([](sim::Calculator& c) { return c.BinaryOf("HOME\\", "GREET"); });
  testing::WriteBytes(w.pcFolder() / "GREET", greet);
  StartPcDrag(w, {w.pcFolder() / "GREET"});
  EXPECT_TRUE(DropOn(p.tree, p.tree->ItemOfPath("HOME\\WORK\\"), *PaneDragData(), Qt::ShiftModifier));
  EXPECT_TRUE(Holds(Names(w, "HOME\\WORK\\"), "GREET"));
  EXPECT_FALSE(Holds(Names(w, "HOME\\WORK\\"), "GREET.1"));
  for (const auto& m : w.messages()) ADD_FAILURE() << m;
}

}  // namespace
}  // namespace dravik
