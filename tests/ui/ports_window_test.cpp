// The calculator's ports in the window, against the simulated HP48GX (with
// a RAM card) and HP49G: each port an item beside HOME, a port's list with a
// library's number and title, Install Library (on the 48 with the warm
// start the user is asked for) and Delete in a port.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "app/library_install_command.h"
#include "hpview/hp_tree_view.h"
#include "hpview/remote_view.h"
#include "library_sample.h"
#include "sim_model.h"
#include "support/sim_window.h"

namespace dravik {
namespace {

using testing::SimWindow;


class WindowPorts : public ::testing::TestWithParam<sim::SimModel> {
 protected:
  bool Is49() const { return GetParam() == sim::SimModel::k49G; }
  sim::Calculator Calculator() const {
    sim::Calculator calc = sim::Calculator::Demo(GetParam());
    if (!Is49()) calc.InsertCard(128 * 1024);
    return calc;
  }
  std::string WriteLibrary(SimWindow& w) {
    testing::WriteBytes(w.pcFolder() / "PCTEST", testing::LibraryFile(Is49()));
    return w.pcFolder() / "PCTEST";
  }
  static QStringList TopItems(QTreeWidget& tree) {
    QStringList items;
    for (int i = 0; i < tree.topLevelItemCount(); ++i) items << tree.topLevelItem(i)->text(0);
    return items;
  }
  static QTreeWidgetItem* Row(CRemoteView& list, const QString& name) {
    for (int i = 0; i < list.topLevelItemCount(); ++i)
      if (list.topLevelItem(i)->text(0) == name) return list.topLevelItem(i);
    return nullptr;
  }
};

TEST_P(WindowPorts, PortsBesideHomeAndALibraryInstalledAndDeleted) {
  SimWindow w({}, true, Calculator());
  // On the 48 the user warm-starts the calculator when told, then starts
  // its server again.
  std::thread keyboard;
  w.answer = [&](const QString& text, const QString&) {
    if (text.contains("press ON and C together"))
      keyboard = std::thread([&w] {
        // When the window's mark shows on the calculator's stack.
        for (int i = 0; i < 600; ++i) {
          const std::string stack = w.calculator().WithCalculator(
              [](sim::Calculator& c) { return c.StackDisplay(); });
          if (stack.find("Press ON and C") != std::string::npos) break;
          std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        w.calculator().WarmStart();
        std::this_thread::sleep_for(std::chrono::milliseconds(1500));
        w.calculator().StartServer();
      });
    return text.contains('?') ? MessageAnswer::Yes : MessageAnswer::Ok;
  };
  CHPTreeView& tree = *w.frame().panes().hpTree;
  CRemoteView& list = *w.frame().panes().hpList;
  // As the window does once the calculator answers.
  list.RefreshList();
  tree.RebuildTree();
  tree.ReadPorts();
  w.Settle();
  EXPECT_EQ(TopItems(tree), Is49() ? QStringList({"HOME", ":0:", ":1:", ":2:"})
                                   : QStringList({"HOME", ":0:", ":1:"}));

  InstallLibraryCommand(w.ctx(), list, &w.frame(), WriteLibrary(w), 0);
  w.Settle(120000);
  if (keyboard.joinable()) keyboard.join();
  w.Settle();
  EXPECT_EQ(w.messages().back(),
            "Install Library: Library 1234 is installed in port 0 and attached to HOME: its "
            "commands work in every directory.");
  // The list shows the port: no way up, the library by its number and title.
  EXPECT_EQ(w.session().CurrentHPPath, ":0:\\");
  EXPECT_EQ(tree.currentItem()->text(0), ":0:");
  QTreeWidgetItem* library = Row(list, "1234");
  ASSERT_NE(library, nullptr);
  EXPECT_EQ(library->text(2), "Library: PCTEST: ports test");
  EXPECT_EQ(Row(list, ".."), nullptr);
  EXPECT_NE(w.OnLine([](LineSide& line) {
    return line.kermit.RunCalculatorCommand("HELLO") ? line.kermit.HostReply : std::string();
  }).find("\"Hello\""), std::string::npos);

  list.clearSelection();
  library->setSelected(true);
  list.DeleteSelection();
  w.Settle();
  const std::string asked = w.messages()[w.messages().size() - 1];
  EXPECT_EQ(asked.find("The HP48 cannot delete an attached library: library 1234 is detached "
                       "first.") != std::string::npos,
            !Is49())
      << asked;
  list.RefreshList();
  w.Settle();
  EXPECT_EQ(Row(list, "1234"), nullptr);
}

INSTANTIATE_TEST_SUITE_P(Models, WindowPorts,
                         ::testing::Values(sim::SimModel::k48GX, sim::SimModel::k49G),
                         [](const auto& test_param) {
                           return test_param.param == sim::SimModel::k49G ? "HP49G" : "HP48GX";
                         });

}  // namespace
}  // namespace dravik
