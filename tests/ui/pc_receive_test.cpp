// Calculator objects dropped on the PC panes are received from the
// simulated calculator where they were dropped.
#include <filesystem>

#include <gtest/gtest.h>

#include "pcview/pc_tree_view.h"
#include "pcview/pc_view.h"
#include "support/pc_panes.h"
#include "support/sim_window.h"

namespace dravik {
namespace {

namespace fs = std::filesystem;

TEST(PcReceive, ObjectsLandInTheCurrentFolderOrTheFolderUnderTheMouse) {
  testing::SimWindow w;
  testing::ScratchFolder& pc = w.pcFolder();
  fs::create_directories(pc / "list");
  fs::create_directories(pc / "tree");
  CPCView& list = *w.frame().panes().pcList;
  CPCTreeView& tree = *w.frame().panes().pcTree;
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
  EXPECT_TRUE(testing::DropPaneJob(&list, nullptr));
  EXPECT_TRUE(fs::exists(pc / "GREET"));
  EXPECT_NE(testing::ItemNamed(&list, "GREET"), nullptr) << "the list shows what came";

  drag("PI2");
  EXPECT_TRUE(testing::DropPaneJob(&list, testing::ItemNamed(&list, "list")));
  EXPECT_TRUE(fs::exists(pc / "list/PI2"));
  EXPECT_EQ(w.session().CurrentPCFolder, pc / "list/");
  EXPECT_EQ(tree.ItemPath(tree.currentItem()), pc / "list/");

  drag("Z");
  EXPECT_TRUE(testing::DropPaneJob(&tree, testing::ChildNamed(tree.currentItem()->parent(), "tree")));
  EXPECT_TRUE(fs::exists(pc / "tree/Z"));
  EXPECT_EQ(w.session().CurrentPCFolder, pc / "tree/");
  EXPECT_FALSE(w.session().Job.ReceiveJobActive);
  for (const auto& m : w.messages()) ADD_FAILURE() << m;
}

}  // namespace
}  // namespace dravik
