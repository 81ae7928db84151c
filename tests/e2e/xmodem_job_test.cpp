// Whole XModem jobs against the simulated HP48: the calculator is prepared
// over Kermit, runs XSEND or XRECV when EVAL is pressed, the port passes to
// the XModem link and back, and the calculator ends in its server again.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "recording_window.h"
#include "listing/listing_cache.h"
#include "link/hp48_link.h"
#include "link/hp48_listing_link.h"
#include "link/xmodem_job.h"
#include "scratch_folder.h"
#include "simulated_hp48.h"

namespace dravik {
namespace {

using Strings = std::vector<std::string>;
using testing::RecordingWindow;
using testing::ScratchFolder;

class SimXModemJobTest : public ::testing::Test {
 protected:
  void SetUp() override { ::setenv("XDG_CONFIG_HOME", config.path().c_str(), 1); }
  void TearDown() override {
    if (link) link->CloseAll();
    if (sim) sim->Stop();
    ::unsetenv("XDG_CONFIG_HOME");
  }

  // The calculator presses EVAL by itself shortly after it waits for it.
  void Start(const std::string& setup, sim::Calculator calc = {}) {
    sim::SimOptions options;
    options.auto_eval = true;
    options.auto_eval_delay = std::chrono::milliseconds(300);
    calc.RunCommandLine("3 TRANSIO");
    ASSERT_EQ(calc.RunCommandLine(setup).rfind("Error", 0), std::string::npos);
    sim = std::make_unique<sim::SimulatedHp48>(std::move(calc), options);
    std::string error;
    ASSERT_TRUE(sim->Start(&error)) << error;
    session.PortDevices[0] = sim->device();
    session.Settings.PortNumber = 1;
    session.MainWindow = &window;
    session.CurrentPCFolder = pc.path();
    link = std::make_unique<CHP48Link>(session);
    link->m_timeout = 5;
    ASSERT_TRUE(link->Open());
    ASSERT_EQ(link->QueryCalculatorState(), 1);
  }

  std::vector<uint8_t> BinaryOf(const std::string& name) {
    return sim->WithCalculator([&](sim::Calculator& c) { return c.BinaryOf("HOME\\", name); });
  }
  Strings UserNames() {
    Strings n = sim->WithCalculator([&](sim::Calculator& c) { return c.VariableNames("HOME\\"); });
    n.erase(std::remove(n.begin(), n.end(), "IOPAR"), n.end());
    return n;
  }
  // The job's program has purged itself and restarted the server, which
  // answers the Kermit link again.
  void ExpectBackInServer(int translation_mode) {
    bool server = false;
    for (int i = 0; i < 400 && !(server = sim->InServer()); ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    ASSERT_TRUE(server);
    ASSERT_EQ(link->QueryCalculatorState(), 1);
    EXPECT_EQ(session.Settings.TranslationMode, translation_mode);
  }

  ScratchFolder config, pc;
  std::unique_ptr<sim::SimulatedHp48> sim;
  Session session;
  RecordingWindow window;
  std::unique_ptr<CHP48Link> link;
};

// Every kind of object the calculator holds comes over without XModem's
// fill and goes back as the very same object: one of each kind in a
// directory (each one walked as a variable), and a real number (an odd
// number of nibbles) on its own. A transfer costs seconds, so they are few.
TEST_F(SimXModemJobTest, ReceivedObjectsLoseTheFillAndGoBackIdentical) {
  sim::Calculator demo = sim::Calculator::Demo();
  std::string copy = "'ALL' CRDIR ";
  for (const std::string& n : demo.VariableNames("HOME\\"))
    if (n != "IOPAR") copy += "'" + n + "' RCL ALL '" + n + "' STO HOME ";
  Start(copy + "ALL 'X' 'GN' STO [ 1 2 ] 'V' STO HOME 1 TRANSIO", std::move(demo));
  const Strings names = {"ALL", "PI2"};
  std::vector<std::vector<uint8_t>> originals;
  for (const std::string& n : names) originals.push_back(BinaryOf(n));
  session.Job.TransferList = names;
  session.Job.TransferSizes.assign(names.size(), 0);
  ASSERT_EQ(link->PrepareXModemJob(false, nullptr), 1);
  CXModemLink receiving(session);
  ASSERT_EQ(RunXModemJob(*link, receiving, XModemDirection::Receive, session.Job.TransferList), 1);
  for (size_t i = 0; i < names.size(); ++i)
    EXPECT_EQ(testing::ReadBytes(pc / names[i]), originals[i]) << names[i];
  for (const auto& m : window.messages()) ADD_FAILURE() << m.caption << ": " << m.text;
  ExpectBackInServer(1);

  // Gone from the calculator, then sent back from the received files.
  sim->WithCalculator([&](sim::Calculator& c) { return c.RunCommandLine("'ALL' PGDIR 'PI2' PURGE"); });
  session.Job.TransferList = {pc / "ALL", pc / "PI2"};
  ListingCache cache(session);
  HP48ListingLink listing(*link);
  ASSERT_EQ(cache.ReadListing(listing), 1);
  ASSERT_EQ(link->PrepareXModemJob(true, &cache), 1);
  CXModemLink sending(session);
  ASSERT_EQ(RunXModemJob(*link, sending, XModemDirection::Send, session.Job.TransferList), 1);
  ExpectBackInServer(1);
  for (size_t i = 0; i < names.size(); ++i) EXPECT_EQ(BinaryOf(names[i]), originals[i]) << names[i];
}

TEST_F(SimXModemJobTest, SendJobRefusesTextFilesOnceAndStoresTheBinaryOne) {
  Start("7 'A' STO 1 TRANSIO");
  testing::WriteBytes(pc / "B", BinaryOf("A"));
  const std::string text = "%%HP: T(3)A(D)F(.);\r\n\"x\"";
  testing::WriteBytes(pc / "T1", std::vector<uint8_t>(text.begin(), text.end()));
  testing::WriteBytes(pc / "T2", std::vector<uint8_t>(text.begin(), text.end()));
  session.Job.TransferList = {pc / "T1", pc / "B", pc / "T2"};
  session.Job.TransferSizes = {21, 20, 22};
  ListingCache cache(session);
  HP48ListingLink listing(*link);
  ASSERT_EQ(cache.ReadListing(listing), 1);
  ASSERT_EQ(link->PrepareXModemJob(true, &cache), 1);
  ASSERT_EQ(window.messages().size(), 1u);
  EXPECT_EQ(window.messages()[0].text, "Only binary files are transmitted with XModem!");
  EXPECT_EQ(session.Job.TransferList, Strings{pc / "B"});
  EXPECT_EQ(session.Job.TransferSizes, std::vector<uint32_t>{20});

  CXModemLink xmodem(session);
  EXPECT_EQ(RunXModemJob(*link, xmodem, XModemDirection::Send, session.Job.TransferList), 1);
  EXPECT_EQ(window.messages().size(), 1u);
  ExpectBackInServer(1);
  EXPECT_EQ(BinaryOf("B"), BinaryOf("A"));
  EXPECT_EQ(UserNames(), (Strings{"B", "A"}));
}

// dravik-cli xget and xsend, run as the program itself; xget with --trace
// writes the Kermit packets that prepare the calculator and the XModem
// blocks of the transfer, one line each, with their direction.
TEST_F(SimXModemJobTest, CommandLineGetsAndSendsByXModem) {
  Start("2.25 'A' STO 1 TRANSIO");
  link->CloseAll();  // the command line program takes the port
  const char* bin = std::getenv("DRAVIK_BINARY_DIR");
  auto cli = [&](const std::string& arguments) {
    std::string command = std::string("'") + (bin ? bin : ".") + "/dravik-cli' -q -C '" +
                          pc.path() + "' --device '" + sim->device() + "' " + arguments +
                          " >/dev/null 2>&1";
    int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  };
  const std::string trace_path = config / "trace.txt";
  ASSERT_EQ(cli("--trace '" + trace_path + "' xget A"), 0);
  EXPECT_EQ(testing::ReadBytes(pc / "A"), BinaryOf("A"));
  const auto bytes = testing::ReadBytes(trace_path);
  const std::string trace(bytes.begin(), bytes.end());
  for (const char* expected :
       {" kermit > C seq 0 \"-35 FS?", " kermit < S seq 0 \"", " kermit > S seq 0 \"",
        " xmodem > NAK\n", " xmodem < block 1 \"HPHP48-", " xmodem > ACK\n", " xmodem < EOT\n"})
    EXPECT_NE(trace.find(expected), std::string::npos) << expected << "\n" << trace;
  ASSERT_TRUE(link->Open());
  ExpectBackInServer(1);
  link->CloseAll();

  std::rename((pc / "A").c_str(), (pc / "C").c_str());
  ASSERT_EQ(cli("xsend '" + (pc / "C") + "'"), 0);
  ASSERT_TRUE(link->Open());
  ExpectBackInServer(1);
  EXPECT_EQ(BinaryOf("C"), BinaryOf("A"));
  link->CloseAll();

  // Text without a header is still no binary object: refused, and the
  // command fails although C went (as C.1: C is taken).
  testing::WriteBytes(pc / "T", {'o', 'k'});
  EXPECT_EQ(cli("xsend '" + (pc / "T") + "' '" + (pc / "C") + "'"), 1);
  ASSERT_TRUE(link->Open());
  ExpectBackInServer(1);
  EXPECT_EQ(BinaryOf("C.1"), BinaryOf("A"));
  EXPECT_EQ(UserNames(), (Strings{"C.1", "C", "A"}));
}

}  // namespace
}  // namespace dravik
