// Calculator objects dropped on the PC panes are received from the
// simulated calculator where they were dropped.
#include <chrono>
#include <filesystem>

#include <gtest/gtest.h>

#include "pcview/pc_tree_view.h"
#include "pcview/pc_view.h"
#include "support/pane_events.h"
#include "support/sim_window.h"

namespace dravik {
namespace {

namespace fs = std::filesystem;

QTreeWidgetItem* ChildNamed(const QTreeWidgetItem* parent, const QString& name) {
  for (int i = 0; parent && i < parent->childCount(); ++i)
    if (parent->child(i)->text(0) == name) return parent->child(i);
  return nullptr;
}

TEST(PcReceive, ObjectsLandInTheCurrentFolderOrTheFolderUnderTheMouse) {
  // The calculator presses EVAL by itself for the XModem job.
  sim::SimOptions options;
  options.auto_eval = true;
  options.auto_eval_delay = std::chrono::milliseconds(200);
  testing::SimWindow w(options);
  testing::ScratchFolder& pc = w.pcFolder();
  fs::create_directories(pc / "list");
  fs::create_directories(pc / "tree");
  CPCView& list = *w.frame().panes().pcList;
  CPCTreeView& tree = *w.frame().panes().pcTree;
  w.frame().show();  // room below the rows for a drop on empty space
  list.Refresh();
  tree.OnInitialUpdate();
  tree.expandItem(tree.currentItem());
  auto drag = [&w](const std::string& name) {
    TransferJob& job = w.session().Job;
    job.Clear();
    job.ReceiveJobActive = true;
    job.TransferList = {name};
  };

  drag("GREET");
  EXPECT_TRUE(testing::DropOn(&list, nullptr, *testing::PaneDragData()));
  EXPECT_TRUE(fs::exists(pc / "GREET"));
  EXPECT_NE(testing::RowNamed(&list, "GREET"), nullptr) << "the list shows what came";

  drag("PI2");
  EXPECT_TRUE(testing::DropOn(&list, testing::RowNamed(&list, "list"), *testing::PaneDragData(),
                              Qt::ShiftModifier));
  EXPECT_TRUE(fs::exists(pc / "list/PI2")) << "by XModem";
  EXPECT_EQ(w.session().CurrentPCFolder, pc / "list/");
  EXPECT_EQ(tree.ItemPath(tree.currentItem()), pc / "list/");

  drag("Z");
  QTreeWidgetItem* treeFolder = ChildNamed(tree.currentItem()->parent(), "tree");
  EXPECT_TRUE(testing::DropOn(&tree, treeFolder, *testing::PaneDragData()));
  EXPECT_TRUE(fs::exists(pc / "tree/Z"));
  EXPECT_EQ(w.session().CurrentPCFolder, pc / "tree/");
  EXPECT_FALSE(w.session().Job.ReceiveJobActive);
  for (const auto& m : w.messages()) ADD_FAILURE() << m;
}

TEST(PcReceive, ANameTakenInTheFolderIsReplacedKeptBesideOrSkippedAsTheUserSays) {
  testing::SimWindow w;
  testing::ScratchFolder& pc = w.pcFolder();
  CPCView& list = *w.frame().panes().pcList;
  auto receive = [&](MessageAnswer answer) {
    testing::WriteBytes(pc / "GREET", {'o', 'l', 'd'});
    w.answer = [answer](const QString&, const QString&) { return answer; };
    TransferJob& job = w.session().Job;
    job.Clear();
    job.ReceiveJobActive = true;
    job.TransferList = {"GREET"};
    list.FinishDropOnPc();
    w.Settle();
  };
  auto old = std::vector<uint8_t>{'o', 'l', 'd'};

  receive(MessageAnswer::Cancel);  // Skip
  EXPECT_EQ(testing::ReadBytes(pc / "GREET"), old);
  EXPECT_FALSE(fs::exists(pc / "GREET.1"));
  EXPECT_EQ(w.messages().back().rfind("Receive: " + pc.path() + " already holds GREET.", 0), 0u)
      << w.messages().back();

  receive(MessageAnswer::No);  // Keep both
  EXPECT_EQ(testing::ReadBytes(pc / "GREET"), old);
  EXPECT_TRUE(fs::exists(pc / "GREET.1"));
  // Kept beside both: the question names the next free number, and the
  // file lands there.
  receive(MessageAnswer::No);
  EXPECT_EQ(w.messages().back(), "Receive: " + pc.path() +
                                    " already holds GREET.\n\nReplace it (the file there goes to "
                                    "the trash), keep both (the new one as GREET.2), or skip it?");
  EXPECT_TRUE(fs::exists(pc / "GREET.2"));
  fs::remove(pc / "GREET.1");
  fs::remove(pc / "GREET.2");

  receive(MessageAnswer::Yes);  // Replace: the old one goes to the trash first
  EXPECT_NE(testing::ReadBytes(pc / "GREET"), old);
  EXPECT_FALSE(fs::exists(pc / "GREET.1"));
  EXPECT_EQ(w.messages().size(), 4u);
}

}  // namespace
}  // namespace dravik
