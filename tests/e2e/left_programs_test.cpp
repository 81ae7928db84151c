// A program Dravik leaves on the calculator for an XModem job changes the
// calculator (the program stored, the translation mode, the runner on an
// HP48's stack). When the user never starts it, the calculator stays at its
// keyboard with its server off; once the user has started the server again,
// what the job changed is put back.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "diagnose/server_wait.h"
#include "link/hp48_commands.h"
#include "link/hp48_link.h"
#include "link/xmodem_job.h"
#include "link/xmodem_link.h"
#include "recording_window.h"
#include "scratch_folder.h"
#include "sim_model.h"
#include "simulated_hp48.h"

namespace dravik {
namespace {

using testing::ScratchFolder;

class LeftProgramsTest : public ::testing::TestWithParam<sim::SimModel> {
 protected:
  void SetUp() override {
    ::setenv("XDG_CONFIG_HOME", config.path().c_str(), 1);
    sim::Calculator calc(GetParam());
    calc.RunCommandLine("\"x\" 'OBJ' STO 1 TRANSIO");
    sim = std::make_unique<sim::SimulatedHp48>(std::move(calc));
    std::string error;
    ASSERT_TRUE(sim->Start(&error)) << error;
    session.PortDevices[0] = sim->device();
    session.Settings.PortNumber = 1;
    session.MainWindow = &window;
    session.CurrentPCFolder = pc.path();
    link = std::make_unique<CHP48Link>(session);
    ASSERT_TRUE(link->Open());
    ASSERT_EQ(link->QueryCalculatorState(), 1);
  }
  void TearDown() override {
    link->CloseAll();
    sim->Stop();
    ::unsetenv("XDG_CONFIG_HOME");
  }
  std::string Calc(const std::string& command) {
    return sim->WithCalculator([&](sim::Calculator& c) { return c.RunCommandLine(command); });
  }
  bool Holds(const std::string& name) {
    const std::vector<std::string> names =
        sim->WithCalculator([](sim::Calculator& c) { return c.VariableNames("HOME\\"); });
    return std::find(names.begin(), names.end(), name) != names.end();
  }

  ScratchFolder config, pc;
  std::unique_ptr<sim::SimulatedHp48> sim;
  Session session;
  testing::RecordingWindow window;
  std::unique_ptr<CHP48Link> link;
};

TEST_P(LeftProgramsTest, AnXModemJobNeverStartedIsPutBackOnceTheServerAnswers) {
  const std::vector<uint8_t> object =
      sim->WithCalculator([](sim::Calculator& c) { return c.BinaryOf("HOME\\", "OBJ"); });
  testing::WriteBytes(pc / "NEW", object);
  TransferJob& job = session.Job;
  job.TransferList = {pc / "NEW"};
  job.SendJobActive = true;
  job.UseXModem = true;
  ASSERT_EQ(link->PrepareXModemJob(true, nullptr), 1);
  ASSERT_TRUE(session.Leftovers);

  // Nobody starts the program on the calculator.
  CXModemLink xmodem(session);
  xmodem.m_startPatience = 1;
  EXPECT_EQ(RunXModemJob(*link, xmodem, XModemDirection::Send, job.TransferList), 0);
  EXPECT_TRUE(xmodem.m_neverStarted);
  EXPECT_TRUE(sim->WaitingForEval());

  // The user presses ATTN and starts the server again.
  sim->StartServer();
  ASSERT_EQ(WaitForServer(*link, std::chrono::seconds(30)), 1);
  EXPECT_FALSE(session.Leftovers);
  EXPECT_FALSE(Holds("XModem.tmp"));
  EXPECT_FALSE(Holds("PCRUN"));
  EXPECT_FALSE(Holds("NEW"));
  EXPECT_EQ(session.Settings.TranslationMode, 1);
  EXPECT_EQ(hp48::StackInteger(hp48::TopOfStack(Calc("IOPAR 6 GET"))), 1);
  EXPECT_EQ(hp48::StackInteger(hp48::TopOfStack(Calc("DROP DEPTH"))), 0);
}

std::string ModelName(const ::testing::TestParamInfo<sim::SimModel>& info) {
  return sim::SimModelName(info.param);
}

// The HP48SX has no XModem.
INSTANTIATE_TEST_SUITE_P(XModemModels, LeftProgramsTest,
                         ::testing::Values(sim::SimModel::k48GX, sim::SimModel::k49G), ModelName);

}  // namespace
}  // namespace dravik
