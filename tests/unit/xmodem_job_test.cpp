// The port passes from the Kermit link to the XModem link for a job and
// back, whether the transfer succeeds or fails.
#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <thread>
#include <string>
#include <vector>

#include "link/hp48_link.h"
#include "link/xmodem_job.h"
#include "pty_pair.h"
#include "recording_window.h"
#include "scratch_folder.h"
#include "xmodem_peer_script.h"

namespace dravik {
namespace {

using namespace testing;

class XModemJobTest : public ::testing::Test {
 protected:
  void SetUp() override {
    session.Settings.PortNumber = 1;
    session.PortDevices[0] = pty.device();
    session.CurrentPCFolder = folder.path();
    session.MainWindow = &window;
    ASSERT_TRUE(kermit.Open());
  }

  // Waits until the XModem link has the port and has dropped what was
  // buffered before, so that the receiver's start request is not dropped.
  void AwaitHandover() {
    for (int i = 0; i < 250 && !xmodem.IsOpen(); ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
  }

  PtyPair pty;
  ScratchFolder folder;
  Session session;
  RecordingWindow window;
  CHP48Link kermit{session};
  CXModemLink xmodem{session};
  LineEnd peer{pty.master()};
};

TEST_F(XModemJobTest, SendHoldsThePortOnlyWhileTransferring) {
  WriteBytes(folder / "f", std::vector<uint8_t>(100, 5));
  auto result = std::async(std::launch::async, [this] {
    return RunXModemJob(kermit, xmodem, XModemDirection::Send, {folder / "f"});
  });
  AwaitHandover();
  peer.Write(kNak);
  XBlock block = ReadXBlock(peer);
  EXPECT_TRUE(block.checksum_ok());
  // The device is exclusive: the XModem link could only open it because the
  // Kermit link had let it go.
  EXPECT_FALSE(kermit.IsOpen());
  EXPECT_TRUE(xmodem.IsOpen());
  peer.Write(kAck);
  uint8_t eot = 0;
  ASSERT_TRUE(peer.ReadByte(eot, 5000));
  EXPECT_EQ(eot, kEot);
  peer.Write(kAck);
  EXPECT_EQ(result.get(), 1);
  EXPECT_TRUE(kermit.IsOpen());
  EXPECT_FALSE(xmodem.IsOpen());
}

TEST_F(XModemJobTest, FailedReceiveStillGivesThePortBack) {
  auto result = std::async(std::launch::async, [this] {
    return RunXModemJob(kermit, xmodem, XModemDirection::Receive, {"OBJ"});
  });
  uint8_t b = 0;
  for (int i = 0; i < 12; ++i) {
    ASSERT_TRUE(peer.ReadByte(b, 5000));
    EXPECT_EQ(b, kNak);
    peer.Write('?');
  }
  EXPECT_EQ(result.get(), 0);
  EXPECT_TRUE(kermit.IsOpen());
  EXPECT_FALSE(xmodem.IsOpen());
  EXPECT_TRUE(folder.Names().empty());
}

TEST_F(XModemJobTest, KermitLeftoversDoNotStartTheTransfer) {
  // The server's answer to the finish request, unread by the Kermit link.
  peer.Write({kSoh, '#', ' ', 'Y', '9', '\r'});
  // Wait until the link has it buffered where only a discard removes it.
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  auto result = std::async(std::launch::async, [this] {
    return RunXModemJob(kermit, xmodem, XModemDirection::Receive, {"OBJ"});
  });
  uint8_t b = 0;
  ASSERT_TRUE(peer.ReadByte(b, 5000));
  EXPECT_EQ(b, kNak);
  peer.Write(FrameXBlock(1, std::vector<uint8_t>(128, 0x42)));
  ASSERT_TRUE(peer.ReadByte(b, 5000));
  EXPECT_EQ(b, kAck);
  peer.Write(kEot);
  ASSERT_TRUE(peer.ReadByte(b, 5000));
  EXPECT_EQ(b, kAck);
  EXPECT_EQ(result.get(), 1);
  EXPECT_EQ(ReadBytes(folder / "OBJ"), std::vector<uint8_t>(128, 0x42));
  EXPECT_TRUE(window.texts().empty());
}

TEST_F(XModemJobTest, CancelledSendStillGivesThePortBack) {
  WriteBytes(folder / "f", std::vector<uint8_t>(1000, 5));
  auto result = std::async(std::launch::async, [this] {
    return RunXModemJob(kermit, xmodem, XModemDirection::Send, {folder / "f"});
  });
  AwaitHandover();
  peer.Write(kNak);
  ReadXBlock(peer);
  xmodem.Cancel();
  peer.Write(kAck);
  uint8_t can = 0;
  ASSERT_TRUE(peer.ReadByte(can, 5000));
  EXPECT_EQ(can, kCan);
  EXPECT_EQ(result.get(), 0);
  EXPECT_TRUE(kermit.IsOpen());
  EXPECT_FALSE(xmodem.IsOpen());
}

}  // namespace
}  // namespace dravik
