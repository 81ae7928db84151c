// Transfers stopped midway against the simulated HP48, which ends them as
// the real one does: an error packet leaves it deaf for seconds, a
// discarded upload does not. The next command must be answered the first
// time it is sent.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "link/hp48_link.h"
#include "recording_window.h"
#include "scratch_folder.h"
#include "simulated_hp48.h"

namespace dravik {
namespace {

using testing::ScratchFolder;

class CancelledTransferTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ::setenv("XDG_CONFIG_HOME", config.path().c_str(), 1);
    sim::Calculator calc;
    calc.RunCommandLine("\"\" 1 400 START \"0123456789\" + NEXT 'BIG' STO");
    sim = std::make_unique<sim::SimulatedHp48>(std::move(calc));
    ASSERT_TRUE(sim->Start());
    session.PortDevices[0] = sim->device();
    session.Settings.PortNumber = 1;
    session.MainWindow = &window;
    session.CurrentPCFolder = pc.path();
    link = std::make_unique<CHP48Link>(session);
    link->m_timeout = 5;
    ASSERT_TRUE(link->Open());
  }
  void TearDown() override {
    session.ProgressWindow = nullptr;
    link->CloseAll();
    sim->Stop();
    ::unsetenv("XDG_CONFIG_HOME");
  }
  // Runs transfer with a Stop once the progress under code reaches at_least.
  template <typename Transfer>
  int StoppedAt(int code, long at_least, Transfer transfer) {
    testing::ProgressHook stop([&](int posted, long value) {
      if (posted == code && value >= at_least) link->Cancel();
    });
    session.ProgressWindow = &stop;
    const int result = transfer();
    session.ProgressWindow = nullptr;
    link->ClearFlags();
    return result;
  }

  ScratchFolder config, pc;
  std::unique_ptr<sim::SimulatedHp48> sim;
  Session session;
  testing::RecordingWindow window;
  std::unique_ptr<CHP48Link> link;
};

TEST_F(CancelledTransferTest, TheCalculatorAnswersTheNextCommandAfterAStoppedUploadOrDownload) {
  // An upload stopped after 1000 of its 30025 bytes: nothing is kept.
  const std::string upload = pc / "UP";
  const std::string text = "%%HP: T(3)A(D)F(.);\r\n\"" + std::string(30000, 'q') + "\"\r\n";
  testing::WriteBytes(upload, std::vector<uint8_t>(text.begin(), text.end()));
  EXPECT_EQ(StoppedAt(kProgressBytes, 1000, [&] { return link->SendFiles({upload}); }), 0);
  ASSERT_EQ(link->ReadDirectory(), 1);
  EXPECT_NE(link->DirectoryListing.find("\r\nBIG "), std::string::npos);
  EXPECT_EQ(link->DirectoryListing.find("\r\nUP "), std::string::npos);

  // A download stopped after ten packets: the partial file goes.
  std::filesystem::remove(upload);
  EXPECT_EQ(StoppedAt(kProgressPackets, 10, [&] { return link->ReceiveFiles({"BIG"}); }), 0);
  EXPECT_TRUE(std::filesystem::is_empty(pc.path()));
  ASSERT_EQ(link->RunHostCommand("1 2 +"), 1);
  EXPECT_EQ(link->HostReply, "1:                     3\r\n");

  // No command went out while the calculator could not hear it.
  EXPECT_EQ(sim->RequestsLostGoingIdle(), 0u);
  EXPECT_TRUE(window.messages().empty()) << window.messages()[0].text;
}

}  // namespace
}  // namespace dravik
