// The window against each calculator model the simulated calculator answers
// as (HP48SX, HP48GX, HP49G): it names the calculator, browses it, moves
// files both ways checked against its listing, offers XModem only where the
// calculator has it, and runs what it leaves on the calculator to its end.
#include <QAction>
#include <QLabel>
#include <QStatusBar>

#include <gtest/gtest.h>

#include <algorithm>

#include "hpview/remote_view.h"
#include "link/calculator_model.h"
#include "sim_model.h"
#include "support/sim_window.h"

namespace dravik {
namespace {

using testing::SimWindow;

sim::SimOptions StartedByTheUser() {
  sim::SimOptions options;
  options.auto_eval = true;
  options.auto_eval_delay = std::chrono::milliseconds(200);
  options.xmodem_time_scale = 0.1;
  return options;
}

bool Shows(CRemoteView& list, const QString& name) {
  for (int i = 0; i < list.topLevelItemCount(); ++i)
    if (list.topLevelItem(i)->text(0) == name) return true;
  return false;
}

bool StatusBarSays(CMainFrame& frame, const QString& text) {
  for (QLabel* label : frame.statusBar()->findChildren<QLabel*>())
    if (label->text() == text) return true;
  return false;
}

class WindowModels : public ::testing::TestWithParam<sim::SimModel> {
 protected:
  bool Holds(SimWindow& w, const std::string& name) {
    const std::vector<std::string> names = w.calculator().WithCalculator(
        [](sim::Calculator& c) { return c.VariableNames("HOME\\"); });
    return std::find(names.begin(), names.end(), name) != names.end();
  }
  JobOutcome Job(SimWindow& w, std::vector<std::string> items, bool send, bool xmodem) {
    TransferJob& job = w.session().Job;
    job.Clear();
    job.TransferList = std::move(items);
    job.SendJobActive = send;
    job.ReceiveJobActive = !send;
    job.UseXModem = xmodem;
    const JobOutcome outcome = w.RunJob();
    job.Clear();
    return outcome;
  }
  const CalculatorModel& Expected() const {
    switch (GetParam()) {
      case sim::SimModel::k48SX: return Hp48SxModel();
      case sim::SimModel::k48GX: return Hp48GxModel();
      case sim::SimModel::k49G: break;
    }
    return Hp49Model();
  }
};

TEST_P(WindowModels, NamesTheCalculatorAndMovesFilesBothWaysChecked) {
  SimWindow w(StartedByTheUser(), true, sim::Calculator::Demo(GetParam()));
  CRemoteView& list = *w.frame().panes().hpList;
  list.RefreshList();
  w.Settle();
  // The connection check and the first listing tell the model.
  EXPECT_EQ(w.session().Model, &Expected());
  w.frame().UpdateStatusPanes();
  EXPECT_TRUE(StatusBarSays(w.frame(), QString::fromStdString(std::string(Expected().Name))));
  EXPECT_TRUE(Shows(list, "GREET"));
  EXPECT_EQ(Shows(list, "CASDIR"), !Expected().SystemNames.empty());

  w.frame().action(CMainFrame::Command::Binary)->trigger();
  w.Settle();
  ASSERT_EQ(Job(w, {"GREET"}, false, false), JobOutcome::Completed);
  testing::WriteBytes(w.pcFolder() / "GREET2", testing::ReadBytes(w.pcFolder() / "GREET"));
  ASSERT_EQ(Job(w, {w.pcFolder() / "GREET2"}, true, false), JobOutcome::Completed);
  EXPECT_TRUE(Holds(w, "GREET2"));
  // A taken name: the calculator keeps both, and the user learns where.
  ASSERT_EQ(Job(w, {w.pcFolder() / "GREET2"}, true, false), JobOutcome::Completed);
  EXPECT_EQ(w.messages().back(), "Dravik: GREET2 was stored as GREET2.1 (GREET2 was taken).");

  // XModem where the calculator has it; the SX's refusal comes before the
  // line is used.
  if (Expected().HasXModem) {
    ASSERT_EQ(Job(w, {"GREET"}, false, true), JobOutcome::Completed);
    EXPECT_FALSE(Holds(w, "XModem.tmp"));
    EXPECT_FALSE(Holds(w, "PCRUN"));
  } else {
    EXPECT_NE(Job(w, {"GREET"}, false, true), JobOutcome::Completed);
    EXPECT_EQ(w.messages().back(),
              "Attention: The HP48SX has no XModem built in: XSEND and XRECV came with the "
              "HP48G series. Use a Kermit transfer instead.");
  }
  EXPECT_TRUE(w.calculator().InServer());
}

std::string ModelName(const ::testing::TestParamInfo<sim::SimModel>& info) {
  return sim::SimModelName(info.param);
}

INSTANTIATE_TEST_SUITE_P(EveryModel, WindowModels,
                         ::testing::Values(sim::SimModel::k48SX, sim::SimModel::k48GX,
                                           sim::SimModel::k49G),
                         ModelName);

}  // namespace
}  // namespace dravik
