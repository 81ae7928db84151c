// The simulated HP48 on its pseudo-terminal, driven by independent peers:
// C-Kermit as a Kermit client and lrzsz for XModem.
#include "simulated_hp48.h"

#include <gtest/gtest.h>

#include <thread>

#include "child_program.h"
#include "lrzsz_peer.h"
#include "raw_device.h"
#include "scratch_folder.h"

namespace dravik::sim {
namespace {

using namespace std::chrono_literals;
using namespace std::string_literals;
using testing::RawDevice;
using testing::ScratchFolder;

const std::string kKermitSettings =
    "set carrier-watch off, set flow none, set file type binary, set transfer mode manual, "
    "set file names literal, set file collision overwrite";

Bytes B(const std::string& s) { return Bytes(s.begin(), s.end()); }

SimOptions QuietOptions() {
  SimOptions o;
  o.kermit.idle_nak_seconds = 0;
  o.kermit.time_override = 2;
  // C-Kermit as a client sends its next command at once, which a real
  // calculator going back to idle could lose.
  o.kermit.idle_return_ms = 0;
  o.xmodem_time_scale = 0.05;
  return o;
}

bool WaitFor(const std::function<bool()>& done, std::chrono::milliseconds limit = 20s) {
  auto end = std::chrono::steady_clock::now() + limit;
  while (std::chrono::steady_clock::now() < end) {
    if (done()) return true;
    std::this_thread::sleep_for(20ms);
  }
  return done();
}

// C-Kermit talking to the simulator; its screen output in *output.
int Kermit(const SimulatedHp48& sim, const ScratchFolder& folder, const std::string& commands,
           std::string* output) {
  return testing::RunProgram(
      {"kermit", "-Y", "-l", sim.device(), "-C", kKermitSettings + ", " + commands + ", quit"},
      folder.path(), 60000, output);
}

// Leaves the server with G F, as the PC does before the EVAL key.
void Finish(SimulatedHp48& sim) {
  RawDevice device(sim.device());
  device.Write("\x01$ GF4\r");
  EXPECT_EQ(device.ReadLine(), "\x01# Y>\r");
  EXPECT_TRUE(WaitFor([&] { return sim.WaitingForEval(); }));
}

TEST(SimulatedHp48, CKermitListsRunsCommandsAndGetsBackWhatItSent) {
  if (!testing::ProgramInPath("kermit")) GTEST_SKIP() << "C-Kermit not installed";
  SimulatedHp48 sim(Calculator(), QuietOptions());
  ASSERT_TRUE(sim.Start());
  ScratchFolder folder;
  const Bytes real = B("HPHP48-R3)\x00\x00\x00\x00\x00\x00\x00\x15\x00"s);
  testing::WriteBytes(folder / "RB", real);
  ::mkdir((folder / "back").c_str(), 0700);
  std::string out;
  ASSERT_EQ(Kermit(sim, folder,
                   "remote host 1 2 +, remote host -35 SF, send RB, cd back, get RB, remote dir",
                   &out),
            0)
      << out;
  EXPECT_NE(out.find("1:                     3"), std::string::npos) << out;
  EXPECT_NE(out.find("{ HOME } "), std::string::npos) << out;
  EXPECT_NE(out.find("RB 17 Real Number 52870"), std::string::npos) << out;
  EXPECT_NE(out.find("IOPAR 29.5 List 8861"), std::string::npos) << out;
  EXPECT_EQ(testing::ReadBytes(folder / "back/RB"), real);
  EXPECT_EQ(sim.WithCalculator([](Calculator& c) { return c.TypeOf("HOME\\", "RB"); }),
            "Real Number");
}

TEST(SimulatedHp48, CKermitCommandLineSendAndGetRoundTrip) {
  if (!testing::ProgramInPath("kermit")) GTEST_SKIP() << "C-Kermit not installed";
  SimulatedHp48 sim(Calculator(), QuietOptions());
  ASSERT_TRUE(sim.Start());
  sim.WithCalculator([](Calculator& c) { return c.RunCommandLine("-35 SF"); });
  ScratchFolder folder;
  const Bytes real = B("HPHP48-R,*\xf0\x00\x00HELLO"s);  // "HELLO"
  testing::WriteBytes(folder / "HI", real);
  std::string out;
  auto kermit = [&](std::vector<std::string> action) {
    std::vector<std::string> argv = {"kermit", "-Y", "-l", sim.device(), "-C", kKermitSettings};
    argv.insert(argv.end(), action.begin(), action.end());
    return testing::RunProgram(argv, folder.path(), 60000, &out);
  };
  // -i: binary, which the action flags do not take from the settings.
  EXPECT_EQ(kermit({"-i", "-s", "HI"}), 0) << out;
  EXPECT_EQ(kermit({"-i", "-g", "HI", "-a", "HI.back"}), 0) << out;
  EXPECT_EQ(testing::ReadBytes(folder / "HI.back"), real);
  EXPECT_EQ(sim.WithCalculator([](Calculator& c) { return c.TypeOf("HOME\\", "HI"); }), "String");
}

TEST(SimulatedHp48, CKermitTextUploadIsParsedAndAnErrorComesBackAsText) {
  if (!testing::ProgramInPath("kermit")) GTEST_SKIP() << "C-Kermit not installed";
  SimulatedHp48 sim(Calculator(), QuietOptions());
  ASSERT_TRUE(sim.Start());
  ScratchFolder folder;
  testing::WriteBytes(folder / "TP", B("%%HP: T(3)A(D)F(.);\r\n\\<< 1 2 + \\>>\r\n"));
  std::string out;
  EXPECT_EQ(Kermit(sim, folder, "send TP, remote host 1 0 /", &out), 0) << out;
  EXPECT_NE(out.find("Error: Infinite Result"), std::string::npos) << out;
  EXPECT_EQ(sim.WithCalculator([](Calculator& c) { return c.TypeOf("HOME\\", "TP"); }),
            "Program");
}

TEST(SimulatedHp48, ArchiveIsSentByTheCalculatorAfterEval) {
  if (!testing::ProgramInPath("kermit")) GTEST_SKIP() << "C-Kermit not installed";
  SimulatedHp48 sim(Calculator(), QuietOptions());
  ASSERT_TRUE(sim.Start());
  sim.WithCalculator([](Calculator& c) { return c.RunCommandLine(":IO:MAR99 \xab ARCHIVE SERVER \xbb"); });
  Finish(sim);
  ScratchFolder folder;
  std::string out;
  std::thread press([&] {
    std::this_thread::sleep_for(1500ms);  // C-Kermit is waiting by then
    sim.PressEval();
  });
  int code = Kermit(sim, folder, "receive", &out);
  press.join();
  EXPECT_EQ(code, 0) << out;
  Bytes backup = testing::ReadBytes(folder / "MAR99");
  ASSERT_GT(backup.size(), 10u);
  EXPECT_EQ(std::string(backup.begin(), backup.begin() + 8), "HPHP48-R");
  EXPECT_TRUE(WaitFor([&] { return sim.InServer(); }));
}

TEST(SimulatedHp48, XsendGoesToLrzszRxOneTransferPerName) {
  if (!testing::LrzszPeer::Available()) GTEST_SKIP() << "lrzsz not installed";
  SimOptions o = QuietOptions();
  o.xmodem_time_scale = 0.5;  // XSEND waits 30 s for each receiver's NAK
  SimulatedHp48 sim(Calculator(), o);
  ASSERT_TRUE(sim.Start());
  sim.WithCalculator([](Calculator& c) {
    return c.RunCommandLine("1.5 'R' STO \"HELLO\" 'S' STO \xab { R S } XSEND SERVER \xbb");
  });
  const Bytes r = sim.WithCalculator([](Calculator& c) { return c.BinaryOf("HOME\\", "R"); });
  const Bytes s = sim.WithCalculator([](Calculator& c) { return c.BinaryOf("HOME\\", "S"); });
  Finish(sim);
  ScratchFolder folder;
  RawDevice device(sim.device());
  sim.PressEval();
  // XSEND ignores a NAK that was waiting before it began; rx sends its first
  // one at once and repeats it only after ten seconds: each rx starts once
  // the calculator listens.
  int transfer = 0;
  for (const auto& [name, object] : {std::pair{"R.x", r}, std::pair{"S.x", s}}) {
    ++transfer;
    ASSERT_TRUE(WaitFor([&] { return sim.XModemSendsWaiting() == transfer; }));
    testing::LrzszPeer rx(device.fd(), {"rx", "-q", "-X", name}, folder.path());
    ASSERT_TRUE(rx.started());
    EXPECT_EQ(rx.Wait(30000), 0);
    Bytes expected = object;
    expected.resize((object.size() + 127) / 128 * 128, 0);
    EXPECT_EQ(testing::ReadBytes(folder / name), expected) << name;
  }
  EXPECT_TRUE(WaitFor([&] { return sim.InServer(); }));
}

TEST(SimulatedHp48, TheDemoUserOfA49TypesTheNameOfTheProgramThePcStored) {
  SimOptions o = QuietOptions();
  o.auto_eval = true;
  o.auto_eval_delay = 50ms;
  SimulatedHp48 sim(Calculator(SimModel::k49G), o);
  ASSERT_TRUE(sim.Start());
  sim.WithCalculator([](Calculator& c) {
    return c.RunCommandLine("\xab 1. 'RAN' STO SERVER \xbb 'PCRUN' STO");
  });
  RawDevice device(sim.device());
  device.Write("\x01$ GF4\r");
  EXPECT_EQ(device.ReadLine(), "\x01# Y>\r");
  EXPECT_TRUE(WaitFor([&] {
    return sim.WithCalculator([](Calculator& c) { return c.TypeOf("HOME\\", "RAN"); }) == "Real Number";
  }));
  EXPECT_TRUE(WaitFor([&] { return sim.InServer(); }));
}

TEST(SimulatedHp48, XrecvTakesAnObjectFromLrzszSx) {
  if (!testing::LrzszPeer::Available()) GTEST_SKIP() << "lrzsz not installed";
  SimulatedHp48 sim(Calculator(), QuietOptions());
  ASSERT_TRUE(sim.Start());
  sim.WithCalculator([](Calculator& c) { return c.RunCommandLine("\xab 'RX' XRECV SERVER \xbb"); });
  Finish(sim);
  ScratchFolder folder;
  testing::WriteBytes(folder / "real", B("HPHP48-R3)\x00\x00\x00\x00\x00\x00\x00\x15\x00"s));
  RawDevice device(sim.device());
  testing::LrzszPeer sx(device.fd(), {"sx", "-q", "-X", "real"}, folder.path());
  ASSERT_TRUE(sx.started());
  sim.PressEval();
  EXPECT_EQ(sx.Wait(30000), 0);
  EXPECT_TRUE(WaitFor([&] { return sim.InServer(); }));
  EXPECT_EQ(sim.WithCalculator([](Calculator& c) { return c.TypeOf("HOME\\", "RX"); }),
            "Real Number");
}

TEST(SimulatedHp48, XrecvGivesUpAfterTenNaksAndTheServerStaysOff) {
  SimulatedHp48 sim(Calculator(), QuietOptions());
  ASSERT_TRUE(sim.Start());
  sim.WithCalculator([](Calculator& c) { return c.RunCommandLine("\xab 'RX' XRECV SERVER \xbb"); });
  Finish(sim);
  RawDevice device(sim.device());
  sim.PressEval();
  // Ten NAKs 2.5 s apart (scaled down here), then CAN CAN CAN.
  EXPECT_EQ(device.Read(13, 20s), std::string(10, '\x15') + "\x18\x18\x18");
  EXPECT_TRUE(WaitFor([&] { return sim.WaitingForEval(); }));
  EXPECT_FALSE(sim.InServer());
  sim.StartServer();
  EXPECT_TRUE(WaitFor([&] { return sim.InServer(); }));
  device.Write("\x01( CCLEARU\r");
  EXPECT_EQ(device.ReadLine(), "\x01+ S~* @-#Y3$\r");
}

TEST(SimulatedHp48, XsendToASilentPcStopsWithTimeoutAndLeavesTheServerOff) {
  SimulatedHp48 sim(Calculator(), QuietOptions());  // XSEND waits 3 s here
  ASSERT_TRUE(sim.Start());
  sim.WithCalculator([](Calculator& c) { return c.RunCommandLine("1 'R' STO \xab 'R' XSEND SERVER \xbb"); });
  Finish(sim);
  RawDevice device(sim.device());
  sim.PressEval();
  std::this_thread::sleep_for(300ms);
  device.Write("C");  // a CRC receiver's start is ignored
  EXPECT_EQ(device.Drain(4000ms), "");
  // The program stopped at the error: its SERVER did not run.
  device.Write("\x01( CCLEARU\r");
  EXPECT_EQ(device.Drain(1000ms), "");
  sim.StartServer();
  EXPECT_TRUE(WaitFor([&] { return sim.InServer(); }));
  device.Write("\x01( CCLEARU\r");
  EXPECT_EQ(device.ReadLine(), "\x01+ S~* @-#Y3$\r");
}

TEST(SimulatedHp48, AWarmStartStopsTheServerUntilServerIsTyped) {
  SimulatedHp48 sim(Calculator(), QuietOptions());
  ASSERT_TRUE(sim.Start());
  RawDevice device(sim.device());
  sim.WarmStart();
  device.Write("\x01( CCLEARU\r");
  EXPECT_EQ(device.Drain(1000ms), "");
  EXPECT_TRUE(WaitFor([&] { return sim.WaitingForEval(); }));
  sim.StartServer();
  EXPECT_TRUE(WaitFor([&] { return sim.InServer(); }));
  device.Write("\x01( CCLEARU\r");
  EXPECT_EQ(device.ReadLine(), "\x01+ S~* @-#Y3$\r");
}

TEST(SimulatedHp48, RestoreRestartsTheCalculatorWithoutAnAnswer) {
  SimOptions o = QuietOptions();
  o.auto_eval = true;  // the demo types SERVER after the restart
  o.auto_eval_delay = 2000ms;
  SimulatedHp48 sim(Calculator::Demo(), o);
  ASSERT_TRUE(sim.Start());
  sim.WithCalculator([](Calculator& c) { return c.RunCommandLine("'BK' ARCHIVE 'PI2' PURGE"); });
  RawDevice device(sim.device());
  device.Write(BuildPacket(1, 0, 'C', "'BK' RCL RESTORE", InitParams{}));
  EXPECT_EQ(device.Drain(300ms), "");
  EXPECT_FALSE(sim.InServer());
  EXPECT_TRUE(WaitFor([&] { return sim.InServer(); }));
  EXPECT_EQ(sim.WithCalculator([](Calculator& c) { return c.TypeOf("HOME\\", "PI2"); }),
            "Real Number");
  // A RESTORE that fails answers with its error.
  device.Write(BuildPacket(1, 0, 'C', "RESTORE", InitParams{}));
  EXPECT_EQ(device.ReadLine(), "\x01+ S~* @-#Y3$\r");
}

TEST(SimulatedHp48, LineControlsSilenceDelayAndSpeed) {
  SimulatedHp48 sim(Calculator(), QuietOptions());
  ASSERT_TRUE(sim.Start());
  RawDevice device(sim.device());
  sim.SetSilent(true);
  device.Write("\x01( CCLEARU\r");
  EXPECT_EQ(device.Drain(1500ms), "");
  sim.SetSilent(false);
  sim.SetReplyDelay(400ms);
  auto start = std::chrono::steady_clock::now();
  device.Write("\x01( CCLEARU\r");
  EXPECT_EQ(device.ReadLine(), "\x01+ S~* @-#Y3$\r");
  EXPECT_GE(std::chrono::steady_clock::now() - start, 400ms);
  device.Drain(3000ms);  // the S repeated while unanswered, then given up
  sim.SetReplyDelay(0ms);
  // 9600 baud carries 960 bytes a second: 10 packets of about 100 bytes
  // cannot arrive in less than a second.
  SimLine line;
  line.SetBaud(9600);
  RawDevice far(line.device());
  start = std::chrono::steady_clock::now();
  std::thread writer([&] { for (int i = 0; i < 10; ++i) line.Write(std::string(96, 'x')); });
  EXPECT_EQ(far.Read(960, 20s).size(), 960u);
  writer.join();
  EXPECT_GE(std::chrono::steady_clock::now() - start, 950ms);
}

TEST(SimulatedHp48, NoiseOnTheLineChangesBytesAtTheGivenRate) {
  SimLine line;
  ASSERT_TRUE(line.ok());
  line.SetNoise(0.05, 11);
  RawDevice far(line.device());
  const std::string sent(20000, 'U');
  std::thread writer([&] { for (size_t i = 0; i < sent.size(); i += 500) line.Write(sent.substr(i, 500)); });
  writer.join();
  FaultCounts c = line.OutgoingFaults();
  std::string got = far.Read(sent.size() - c.dropped + c.doubled, 20s);
  EXPECT_EQ(got.size(), sent.size() - c.dropped + c.doubled);
  EXPECT_NEAR(static_cast<double>(c.total()) / sent.size(), 0.05, 0.01);
  EXPECT_GT(c.flipped, 0u);
  EXPECT_GT(c.dropped, 0u);
  EXPECT_GT(c.doubled, 0u);
  EXPECT_EQ(static_cast<size_t>(std::count_if(got.begin(), got.end(), [](char ch) { return ch != 'U'; })),
            c.flipped);
  EXPECT_EQ(far.Drain(200ms), "");
}

TEST(SimulatedHp48, CKermitGetsTheListingThroughANoisyLine) {
  if (!testing::ProgramInPath("kermit")) GTEST_SKIP() << "C-Kermit not installed";
  SimOptions o = QuietOptions();
  o.kermit.time_override = 1;
  o.noise = 0.003;
  o.seed = 5;
  SimulatedHp48 sim(Calculator::Demo(), o);
  ASSERT_TRUE(sim.Start());
  ScratchFolder folder;
  std::string out;
  EXPECT_EQ(Kermit(sim, folder, "set send timeout 1 fixed, set retry-limit 30, remote dir", &out), 0)
      << out;
  std::string clean = sim.WithCalculator([](Calculator& c) { return c.DirectoryListing(); });
  std::string last_line = clean.substr(clean.rfind("\r\n", clean.size() - 3) + 2);
  last_line.resize(last_line.size() - 2);
  EXPECT_NE(out.find(last_line), std::string::npos) << out;
  EXPECT_GT(sim.OutgoingFaults().total() + sim.IncomingFaults().total(), 0u);
}

}  // namespace
}  // namespace dravik::sim
