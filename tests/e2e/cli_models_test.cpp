// dravik-cli's commands against each calculator model the simulated
// calculator answers as (HP48SX, HP48GX, HP49G): what differs between the
// models (listings, numbers, binary headers, how a program left on the
// calculator is started, XModem) must not change what a user gets.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <future>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "cli_run.h"
#include "scratch_folder.h"
#include "sim_model.h"
#include "simulated_hp48.h"

namespace dravik {
namespace {

using testing::CliRun;
using testing::ReadBytes;
using testing::ScratchFolder;
using testing::WriteBytes;
using Strings = std::vector<std::string>;

class CliModelsTest : public ::testing::TestWithParam<sim::SimModel> {
 protected:
  void SetUp() override {
    ::setenv("XDG_CONFIG_HOME", config.path().c_str(), 1);
    sim::Calculator calc = sim::Calculator::Demo(GetParam());
    calc.RunCommandLine("3 TRANSIO");
    sim::SimOptions options;
    options.kermit.idle_nak_seconds = 1;
    // The user starts what Dravik left on the calculator: EVAL on an HP48,
    // the program's name typed on an HP49.
    options.auto_eval = true;
    options.auto_eval_delay = std::chrono::milliseconds(300);
    options.xmodem_time_scale = 0.1;
    hp = std::make_unique<sim::SimulatedHp48>(std::move(calc), options);
    std::string error;
    ASSERT_TRUE(hp->Start(&error)) << error;
  }
  void TearDown() override {
    hp->Stop();
    ::unsetenv("XDG_CONFIG_HOME");
  }

  CliRun Cli(const Strings& args) { return testing::RunCli(hp->device(), pc.path(), args); }
  Strings Names(const std::string& dir = "HOME\\") {
    return hp->WithCalculator([&](sim::Calculator& c) { return c.VariableNames(dir); });
  }
  bool Holds(const std::string& name, const std::string& dir = "HOME\\") {
    const Strings names = Names(dir);
    return std::find(names.begin(), names.end(), name) != names.end();
  }
  std::string File(const std::string& name) {
    const std::vector<uint8_t> bytes = ReadBytes(pc / name);
    return {bytes.begin(), bytes.end()};
  }

  bool Is49() const { return GetParam() == sim::SimModel::k49G; }
  std::string ModelName() const {
    switch (GetParam()) {
      case sim::SimModel::k48SX: return "HP48SX";
      case sim::SimModel::k48GX: return "HP48GX";
      case sim::SimModel::k49G: break;
    }
    return "HP49G";
  }
  std::string Family() const { return Is49() ? "HP49" : "HP48"; }
  std::string OtherFamily() const { return Is49() ? "HP48" : "HP49"; }

  ScratchFolder config, pc;
  std::unique_ptr<sim::SimulatedHp48> hp;
};

TEST_P(CliModelsTest, FilesGoBothWaysCheckedInEitherForm) {
  CliRun state = Cli({"state"});
  EXPECT_EQ(state.status, 0) << state.output;
  EXPECT_TRUE(state.Says("model: " + ModelName() + "\n")) << state.output;
  CliRun ls = Cli({"ls"});
  EXPECT_EQ(ls.status, 0) << ls.output;
  EXPECT_TRUE(ls.Says("GREET")) << ls.output;

  // Binary: the family's own header, checked against the listing both ways.
  ASSERT_EQ(Cli({"binary"}).status, 0);
  CliRun get = Cli({"get", "GREET"});
  ASSERT_EQ(get.status, 0) << get.output;
  EXPECT_EQ(File("GREET").substr(0, 7), "HP" + Family() + "-");
  WriteBytes(pc / "GREET2", ReadBytes(pc / "GREET"));
  CliRun send = Cli({"send", "GREET2"});
  EXPECT_EQ(send.status, 0) << send.output;
  CliRun again = Cli({"send", "GREET2"});
  EXPECT_EQ(again.status, 0) << again.output;
  EXPECT_TRUE(again.Says("GREET2 was stored as GREET2.1 (GREET2 was taken)")) << again.output;

  // The other family's binary never reaches the line.
  std::string other = File("GREET");
  other.replace(0, 7, "HP" + OtherFamily() + "-");
  WriteBytes(pc / "OTHER", std::vector<uint8_t>(other.begin(), other.end()));
  CliRun refused = Cli({"send", "OTHER"});
  EXPECT_NE(refused.status, 0);
  EXPECT_TRUE(refused.Says("OTHER is an " + OtherFamily() + " binary object: the " + Family() +
                           " refuses the binary objects of the " + OtherFamily()))
      << refused.output;
  EXPECT_FALSE(Holds("OTHER"));

  // Text: what the calculator writes, sent back as it is.
  ASSERT_EQ(Cli({"ascii"}).status, 0);
  ASSERT_EQ(Cli({"get", "PI2"}).status, 0);
  EXPECT_EQ(File("PI2").substr(0, 5), "%%HP:");
  WriteBytes(pc / "PI3", ReadBytes(pc / "PI2"));
  EXPECT_EQ(Cli({"send", "PI3"}).status, 0);
  EXPECT_TRUE(Holds("PI3"));
  // Neither text nor an object: the calculator would refuse it, so it waits
  // for binary mode, where it becomes a String.
  WriteBytes(pc / "PHOTO", std::vector<uint8_t>{0xFF, 0xD8, 0xFF, 0xE0, 0x00, 0x10});
  CliRun photo = Cli({"--cd", "HOME", "send", "PHOTO"});
  EXPECT_EQ(photo.status, 1);
  EXPECT_TRUE(photo.Says("after dravik-cli binary it is stored as a String")) << photo.output;
  EXPECT_FALSE(Holds("PHOTO"));
}

TEST_P(CliModelsTest, DirectoriesAreMadeMovedAndDeleted) {
  ASSERT_EQ(Cli({"mkdir", "SUBD"}).status, 0);
  CliRun mv = Cli({"mv", "GREET", "HOME/SUBD"});
  EXPECT_EQ(mv.status, 0) << mv.output;
  CliRun ls = Cli({"--cd", "HOME/SUBD", "ls"});
  EXPECT_EQ(ls.status, 0) << ls.output;
  EXPECT_TRUE(ls.Says("GREET")) << ls.output;
  CliRun rmdir = Cli({"--cd", "HOME", "rmdir", "SUBD"});
  EXPECT_EQ(rmdir.status, 0) << rmdir.output;
  EXPECT_FALSE(Holds("SUBD"));

  // A command's name is said to be one before anything is made.
  CliRun sub = Cli({"mkdir", "SUB"});
  EXPECT_NE(sub.status, 0);
  EXPECT_TRUE(sub.Says("The " + Family() + " cannot store a variable named SUB")) << sub.output;
  if (Is49()) {
    // The calculator's own directory is kept unless the user insists.
    CliRun cas = Cli({"rmdir", "CASDIR"});
    EXPECT_NE(cas.status, 0);
    EXPECT_TRUE(cas.Says("CASDIR is the HP49's own directory of computer-algebra settings"))
        << cas.output;
    EXPECT_TRUE(Holds("CASDIR"));
  }
}

TEST_P(CliModelsTest, ProgramsLeftOnTheCalculatorRunAndLeaveNothing) {
  CliRun archive = Cli({"archive", "MAR99"});
  ASSERT_EQ(archive.status, 0) << archive.output;
  EXPECT_TRUE(archive.Says(Is49() ? "Type PCRUN and press ENTER on the calculator"
                                  : "Press EVAL on the calculator"))
      << archive.output;
  EXPECT_EQ(File("MAR99").substr(0, 7), "HP" + Family() + "-");
  EXPECT_TRUE(hp->InServer() || [&] {
    std::this_thread::sleep_for(std::chrono::seconds(2));
    return hp->InServer();
  }());

  CliRun xget = Cli({"xget", "GREET"});
  if (GetParam() == sim::SimModel::k48SX) {
    EXPECT_NE(xget.status, 0);
    EXPECT_TRUE(xget.Says("The HP48SX has no XModem built in")) << xget.output;
  } else {
    ASSERT_EQ(xget.status, 0) << xget.output;
    WriteBytes(pc / "XG", ReadBytes(pc / "GREET"));
    CliRun xsend = Cli({"xsend", "XG"});
    EXPECT_EQ(xsend.status, 0) << xsend.output;
    EXPECT_TRUE(Holds("XG"));
  }
  for (const char* left : {"PCRUN", "XModem.tmp"}) EXPECT_FALSE(Holds(left)) << left;

  // Restore: the calculator restarts with its server off; the command waits
  // for the user to start it.
  hp->WithCalculator([](sim::Calculator& c) { return c.RunCommandLine("7 'LATER' STO"); });
  auto restore =
      std::async(std::launch::async, [&] { return Cli({"restore", pc / "MAR99"}); });
  bool restored = false;
  for (int i = 0; i < 400 && !restored; ++i) {
    restored = !Holds("LATER") && Holds("GREET");
    if (!restored) std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  EXPECT_TRUE(restored);
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  hp->StartServer();
  const CliRun done = restore.get();
  EXPECT_EQ(done.status, 0) << done.output;
  EXPECT_TRUE(done.Says("The calculator answers again.")) << done.output;
}

TEST_P(CliModelsTest, CompareSyncAndBackupSeeTheWholeMemory) {
  const std::string mirror = pc / "mirror";
  CliRun backup = Cli({"backup", mirror});
  ASSERT_EQ(backup.status, 0) << backup.output;
  CliRun same = Cli({"--cd", "HOME", "compare", mirror});
  EXPECT_EQ(same.status, 0) << same.output;
  hp->WithCalculator([](sim::Calculator& c) { return c.RunCommandLine("5. 'NEWV' STO"); });
  CliRun differs = Cli({"--cd", "HOME", "compare", mirror});
  EXPECT_EQ(differs.status, 1) << differs.output;
  EXPECT_TRUE(differs.Says("only-calc")) << differs.output;
  CliRun sync = Cli({"--cd", "HOME", "sync", "--to-pc", mirror});
  EXPECT_EQ(sync.status, 0) << sync.output;
  EXPECT_EQ(Cli({"--cd", "HOME", "compare", mirror}).status, 0);
}

TEST_P(CliModelsTest, HostShowsWhatTheCommandLeftAndWhatWasCut) {
  CliRun sum = Cli({"host", "1 2 +"});
  EXPECT_EQ(sum.status, 0) << sum.output;
  EXPECT_TRUE(sum.Says("1:                     3")) << sum.output;
  CliRun text = Cli({"host", "DROP \"0123456789012345678901234567890\""});
  EXPECT_EQ(text.status, 0) << text.output;
  EXPECT_EQ(text.Says("level 1 is cut short"), Is49()) << text.output;
}

std::string ModelName(const ::testing::TestParamInfo<sim::SimModel>& info) {
  return sim::SimModelName(info.param);
}

INSTANTIATE_TEST_SUITE_P(EveryModel, CliModelsTest,
                         ::testing::Values(sim::SimModel::k48SX, sim::SimModel::k48GX,
                                           sim::SimModel::k49G),
                         ModelName);

}  // namespace
}  // namespace dravik
