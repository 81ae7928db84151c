// The link engine against the simulated HP48 on a noisy line: flipped,
// dropped and doubled bytes in both directions, a short Kermit TIME on both
// sides. Every transaction must still deliver exact data.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <memory>
#include <string>

#include "recording_window.h"
#include "link/hp48_link.h"
#include "scratch_folder.h"
#include "simulated_hp48.h"

namespace dravik {
namespace {

using testing::ScratchFolder;

class NoisyLineTest : public ::testing::Test {
 protected:
  void SetUp() override { ::setenv("XDG_CONFIG_HOME", config.path().c_str(), 1); }
  void TearDown() override {
    if (link) link->CloseAll();
    if (sim) sim->Stop();
    ::unsetenv("XDG_CONFIG_HOME");
  }
  void Start(double noise, uint32_t seed) {
    sim::SimOptions options;
    options.noise = noise;
    options.seed = seed;
    options.kermit.time_override = 1;
    options.kermit.advertised_time = 1;
    // The real calculator's habits, idle NAKs at irregular times among them.
    options.kermit.idle_nak_seconds = 1;
    sim = std::make_unique<sim::SimulatedHp48>(sim::Calculator(), options);
    ASSERT_TRUE(sim->Start());
    session.PortDevices[0] = sim->device();
    session.Settings.PortNumber = 1;
    session.MainWindow = &window;
    session.CurrentPCFolder = pc.path();
    link = std::make_unique<CHP48Link>(session);
    link->m_timeout = 2;
    ASSERT_TRUE(link->Open());
  }

  std::string LastMessage() const {
    return window.messages().empty() ? std::string("no message") : window.messages().back().text;
  }

  ScratchFolder config, pc;
  std::unique_ptr<sim::SimulatedHp48> sim;
  Session session;
  testing::RecordingWindow window;
  std::unique_ptr<CHP48Link> link;
};

TEST_F(NoisyLineTest, ListingsRepliesAndFilesArriveExactly) {
  // Type-1 block checks (listing and command replies) miss one damaged
  // packet in about a hundred, so these go over a lightly noisy line; the
  // files, sent with CRCs, over a noisier one.
  Start(0.0005, 17);
  // A binary object of about 2 KB: the string goes out and comes back whole.
  sim->WithCalculator([](sim::Calculator& c) {
    return c.RunCommandLine("-35 SF \"\" 1 200 START \"0123456789\" + NEXT 'BIG' STO");
  });
  const sim::Bytes big = sim->WithCalculator([](sim::Calculator& c) { return c.BinaryOf("HOME\\", "BIG"); });
  ASSERT_GT(big.size(), 2000u);
  const std::string listing =
      sim->WithCalculator([](sim::Calculator& c) { return c.DirectoryListing(); });
  for (int round = 0; round < 2; ++round) {
    SCOPED_TRACE("round " + std::to_string(round));
    ASSERT_EQ(link->ReadDirectory(), 1);
    // The same listing (the free-memory figure of the header aside).
    EXPECT_EQ(link->DirectoryListing.substr(link->DirectoryListing.find('\n')),
              listing.substr(listing.find('\n')));
    ASSERT_EQ(link->RunHostCommand("1 2 +"), 1);
    EXPECT_EQ(link->HostReply, "1:                     3\r\n");
    sim->WithCalculator([](sim::Calculator& c) { return c.RunCommandLine("CLEAR"); });
  }
  sim->SetNoise(0.003, 18);
  for (int round = 0; round < 3; ++round) {
    SCOPED_TRACE("file round " + std::to_string(round));
    ScratchFolder folder;
    session.CurrentPCFolder = folder.path();
    ASSERT_EQ(link->ReceiveFiles({"BIG"}), 1) << LastMessage();
    EXPECT_EQ(testing::ReadBytes(folder / "BIG"), big);
    ASSERT_EQ(link->SendFiles({folder / "BIG"}), 1) << LastMessage();
    // Sent back as BIG: stored beside it as BIG.1, BIG.2, ...
    const std::string stored = "BIG." + std::to_string(round + 1);
    EXPECT_EQ(sim->WithCalculator([&](sim::Calculator& c) { return c.BinaryOf("HOME\\", stored); }),
              big);
  }
  // Two objects in one job: the second R follows the first Z at once.
  ScratchFolder both;
  session.CurrentPCFolder = both.path();
  ASSERT_EQ(link->ReceiveFiles({"BIG.1", "BIG.2"}), 1);
  EXPECT_EQ(testing::ReadBytes(both / "BIG.1"), big);
  EXPECT_EQ(testing::ReadBytes(both / "BIG.2"), big);
  EXPECT_GT(sim->OutgoingFaults().total(), 0u);
  EXPECT_GT(sim->IncomingFaults().total(), 0u);
  EXPECT_TRUE(window.messages().empty());
}

}  // namespace
}  // namespace dravik
