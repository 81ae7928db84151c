// The calculator's ports and libraries through dravik-cli and the engine,
// against the simulated HP48GX (with a RAM card in port 1) and HP49G: what
// each port holds, a round trip through a port byte for byte, a taken name,
// a library installed and its command run, a stopped fetch, and a backup
// whose ports come back with sync --to-calc.
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
#include "link/hp48_link.h"
#include "library_sample.h"
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


class PortsTest : public ::testing::TestWithParam<sim::SimModel> {
 protected:
  void SetUp() override {
    ::setenv("XDG_CONFIG_HOME", config.path().c_str(), 1);
    sim::Calculator calc = sim::Calculator::Demo(GetParam());
    // The 48GX's port 1 is a RAM card.
    if (!Is49()) {
      ASSERT_TRUE(calc.InsertCard(128 * 1024));
    }
    sim::SimOptions options;
    options.kermit.idle_nak_seconds = 1;
    hp = std::make_unique<sim::SimulatedHp48>(std::move(calc), options);
    std::string error;
    ASSERT_TRUE(hp->Start(&error)) << error;
  }
  void TearDown() override {
    hp->Stop();
    ::unsetenv("XDG_CONFIG_HOME");
  }

  CliRun Cli(const Strings& args) { return testing::RunCli(hp->device(), pc.path(), args); }
  Strings Home() {
    return hp->WithCalculator([](sim::Calculator& c) { return c.VariableNames("HOME\\"); });
  }
  std::string Stack() {
    return hp->WithCalculator([](sim::Calculator& c) { return c.StackDisplay(); });
  }
  bool Is49() const { return GetParam() == sim::SimModel::k49G; }
  void WriteLibrary(const std::string& name) { WriteBytes(pc / name, testing::LibraryFile(Is49())); }
  // A binary object of the calculator's own family, as get writes it.
  void FetchGreeting() {
    ASSERT_EQ(Cli({"binary"}).status, 0);
    ASSERT_EQ(Cli({"get", "GREET"}).status, 0);
  }

  ScratchFolder config, pc;
  std::unique_ptr<sim::SimulatedHp48> hp;
};

TEST_P(PortsTest, PortsListAndAnObjectGoesThroughOneByteForByte) {
  CliRun ports = Cli({"ports"});
  ASSERT_EQ(ports.status, 0) << ports.output;
  EXPECT_TRUE(ports.Says(":0:  ")) << ports.output;
  EXPECT_TRUE(ports.Says(":1:  ")) << ports.output;
  EXPECT_EQ(ports.Says(":2:  "), Is49()) << ports.output;
  if (Is49()) {
    EXPECT_TRUE(ports.Says("flash memory: what it holds survives a memory loss"));
  }

  FetchGreeting();
  const std::vector<uint8_t> sent = ReadBytes(pc / "GREET");
  CliRun send = Cli({"send", "--port", "1", "GREET"});
  ASSERT_EQ(send.status, 0) << send.output;
  CliRun ls = Cli({"ls", ":1:"});
  EXPECT_TRUE(ls.Says("GREET")) << ls.output;
  ASSERT_EQ(Cli({"rm", "GREET"}).status, 0);  // HOME's own copy
  ASSERT_TRUE(std::filesystem::remove(pc / "GREET"));
  CliRun get = Cli({"get", ":1:GREET"});
  ASSERT_EQ(get.status, 0) << get.output;
  EXPECT_EQ(ReadBytes(pc / "GREET"), sent);
  // Nothing passed through HOME stays there.
  const Strings home = Home();
  EXPECT_EQ(std::count(home.begin(), home.end(), "PCTMP"), 0);
  EXPECT_EQ(std::count(home.begin(), home.end(), "GREET"), 0);

  // The port holds GREET: the calculator answers Object In Use, and the
  // object is replaced only when the user says so.
  CliRun taken = Cli({"send", "--port", "1", "GREET"});
  EXPECT_EQ(taken.status, 1) << taken.output;
  EXPECT_TRUE(taken.Says("Port 1 already holds GREET (the calculator answers Object In Use)."))
      << taken.output;
  EXPECT_TRUE(taken.Says("send --replace replaces it")) << taken.output;
  CliRun replaced = Cli({"send", "--port", "1", "--replace", "GREET"});
  EXPECT_EQ(replaced.status, 0) << replaced.output;
  EXPECT_EQ(Home(), home);
  CliRun rm = Cli({"rm", ":1:GREET"});
  EXPECT_EQ(rm.status, 0) << rm.output;
  EXPECT_FALSE(Cli({"ls", ":1:"}).Says("GREET"));
}

TEST_P(PortsTest, ALibraryIsInstalledAndItsCommandRuns) {
  WriteLibrary("pctest.lib");
  std::future<CliRun> install =
      std::async(std::launch::async, [this] { return Cli({"install", "pctest.lib"}); });
  if (!Is49()) {
    // The 48 installs it at a warm start: the user presses ON+C when told
    // (the mark on the stack), then starts the server again.
    for (int i = 0; i < 600 && Stack().find("Press ON and C") == std::string::npos; ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
    hp->WarmStart();
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    hp->StartServer();
  }
  const CliRun done = install.get();
  ASSERT_EQ(done.status, 0) << done.output;
  EXPECT_TRUE(done.Says("Library 1234 is installed in port 0 and attached to HOME: its commands "
                        "work in every directory.\n"))
      << done.output;
  EXPECT_EQ(done.Says("press ON and C together"), !Is49()) << done.output;
  const CliRun hello = Cli({"host", "HELLO"});
  EXPECT_TRUE(hello.Says("\"Hello\"")) << hello.output;
  CliRun ls = Cli({"ls", ":0:"});
  EXPECT_TRUE(ls.Says("1234")) << ls.output;
  EXPECT_TRUE(ls.Says("Library  PCTEST: ports test")) << ls.output;

  // Uninstalled by deleting it; a 48 detaches it first.
  CliRun rm = Cli({"rm", ":0:1234"});
  EXPECT_EQ(rm.status, 0) << rm.output;
  EXPECT_EQ(rm.Says("library 1234 is detached first"), !Is49()) << rm.output;
  EXPECT_FALSE(Cli({"ls", ":0:"}).Says("1234"));
}

// A fetch stopped part way leaves neither a file nor the temporary
// variable the object passed through.
class StopAtFirstBytes : public ProgressSink {
 public:
  explicit StopAtFirstBytes(CHP48Link& link) : link_(link) {}
  void post(int code, long) override {
    if (code == kProgressBytes) link_.m_cancel = 1;
  }

 private:
  CHP48Link& link_;
};

TEST_P(PortsTest, AStoppedFetchLeavesNoTemporaryVariable) {
  hp->WithCalculator([](sim::Calculator& c) {
    return c.RunCommandLine("'PIC' RCL :1:PIC STO");
  });
  Session session;
  session.PortDevices[0] = hp->device();
  session.CurrentPCFolder = pc.path();
  CHP48Link link(session);
  ASSERT_TRUE(link.Open());
  ASSERT_TRUE(link.QueryCalculatorState());
  ASSERT_TRUE(link.SetTransferFormat());
  session.CurrentHPPath = ":1:\\";
  ASSERT_TRUE(link.EnsureInCurrentDirectory());
  StopAtFirstBytes stop(link);
  session.ProgressWindow = &stop;
  EXPECT_FALSE(link.ReceiveFiles({"PIC"}));
  session.ProgressWindow = nullptr;
  link.m_cancel = 0;
  EXPECT_FALSE(std::filesystem::exists(pc / "PIC"));
  EXPECT_FALSE(std::filesystem::exists(pc / "PCTMP"));
  const Strings home = Home();
  EXPECT_EQ(std::count(home.begin(), home.end(), "PCTMP"), 0);
}

TEST_P(PortsTest, ABackupHoldsThePortsAndSyncPutsThemBack) {
  // A small HOME: the ports are what is backed up here, three times over.
  hp->WithCalculator([](sim::Calculator& c) {
    return c.RunCommandLine("'GAMES' PGDIR 'WORK' PGDIR 'CASDIR' PGDIR "
                            "{ PI2 Z PRIMES SQ2 EQ MASK LEN PIC DEMOLIB } PURGE");
  });
  WriteLibrary("pctest.lib");
  FetchGreeting();
  ASSERT_EQ(Cli({"send", "--port", "1", "GREET"}).status, 0);
  ASSERT_EQ(Cli({"send", "--port", "1", "pctest.lib"}).status, 0);
  CliRun backup = Cli({"backup", "saved"});
  ASSERT_EQ(backup.status, 0) << backup.output;
  EXPECT_TRUE(backup.Says("fetch :1:GREET into %3A1%3A/GREET")) << backup.output;
  EXPECT_EQ(ReadBytes(pc / "saved/%3A1%3A/GREET"), ReadBytes(pc / "GREET"));
  EXPECT_TRUE(std::filesystem::exists(pc / "saved/%3A1%3A/1234"));

  ASSERT_EQ(Cli({"rm", ":1:GREET", ":1:1234"}).status, 0);
  CliRun restore = Cli({"sync", "--to-calc", "saved"});
  EXPECT_EQ(restore.status, 0) << restore.output;
  CliRun ls = Cli({"ls", ":1:"});
  EXPECT_TRUE(ls.Says("GREET")) << ls.output;
  EXPECT_TRUE(ls.Says("1234")) << ls.output;
}

INSTANTIATE_TEST_SUITE_P(Models, PortsTest,
                         ::testing::Values(sim::SimModel::k48GX, sim::SimModel::k49G),
                         [](const auto& test_param) {
                           return test_param.param == sim::SimModel::k49G ? "HP49G" : "HP48GX";
                         });

}  // namespace
}  // namespace dravik
