// Receiving over XModem from a scripted sender on a pseudo-terminal.
#include <gtest/gtest.h>

#include <filesystem>
#include <future>
#include <string>
#include <vector>

#include "link/xmodem_link.h"
#include "pty_pair.h"
#include "recording_window.h"
#include "scratch_folder.h"
#include "xmodem_peer_script.h"

namespace dravik {
namespace {

using namespace testing;

std::vector<uint8_t> Filled(uint8_t value) { return std::vector<uint8_t>(128, value); }

std::vector<uint8_t> Joined(const std::vector<std::vector<uint8_t>>& blocks) {
  std::vector<uint8_t> out;
  for (const auto& b : blocks) out.insert(out.end(), b.begin(), b.end());
  return out;
}

class XModemReceiveTest : public ::testing::Test {
 protected:
  void SetUp() override {
    session.Settings.PortNumber = 1;
    session.PortDevices[0] = pty.device();
    session.CurrentPCFolder = folder.path();
    session.MainWindow = &window;
    session.ProgressWindow = &progress;
    ASSERT_TRUE(link.Open());
  }

  std::future<int> Receive(std::vector<std::string> names) {
    return std::async(std::launch::async,
                      [this, names] { return link.XModemReceiveList(names); });
  }
  uint8_t NextByte(int timeout_ms = 5000) {
    uint8_t b = 0xEE;
    peer.ReadByte(b, timeout_ms);
    return b;
  }
  // Sends a block and returns the receiver's answer.
  uint8_t Offer(uint8_t number, const std::vector<uint8_t>& data) {
    peer.Write(FrameXBlock(number, data));
    return NextByte();
  }
  uint8_t End() {
    peer.Write(kEot);
    return NextByte();
  }

  PtyPair pty;
  ScratchFolder folder;
  Session session;
  RecordingWindow window;
  RecordingProgress progress;
  CXModemLink link{session};
  LineEnd peer{pty.master()};
};

TEST_F(XModemReceiveTest, ThreeBlocksThenEotMakeAWholeBlockFile) {
  auto result = Receive({"OBJ"});
  EXPECT_EQ(NextByte(), kNak);
  EXPECT_EQ(Offer(1, Filled(0xA1)), kAck);
  EXPECT_EQ(Offer(2, Filled(0xA2)), kAck);
  EXPECT_EQ(Offer(3, {1, 2, 3}), kAck);  // the fill is kept
  EXPECT_EQ(End(), kAck);
  EXPECT_EQ(result.get(), 1);
  std::vector<uint8_t> last(128, 0);
  last[0] = 1, last[1] = 2, last[2] = 3;
  EXPECT_EQ(ReadBytes(folder / "OBJ"), Joined({Filled(0xA1), Filled(0xA2), last}));
  EXPECT_TRUE(window.texts().empty());
  EXPECT_EQ(progress.Last(kProgressPackets), 3);
  EXPECT_EQ(progress.Last(kProgressBytes), 384);
}

// Real HP49G: a longer object starts with one 1024-byte block (STX), then
// 128-byte blocks, even after a plain NAK.
TEST_F(XModemReceiveTest, AnHp49LongBlockIsTakenWhole) {
  auto result = Receive({"LONG"});
  EXPECT_EQ(NextByte(), kNak);
  std::vector<uint8_t> frame{2, 1, 254};
  const std::vector<uint8_t> long_data(1024, 0xB1);
  frame.insert(frame.end(), long_data.begin(), long_data.end());
  frame.push_back(static_cast<uint8_t>(0xB1 * 1024));
  peer.Write(frame);
  EXPECT_EQ(NextByte(), kAck);
  EXPECT_EQ(Offer(2, Filled(0xB2)), kAck);
  EXPECT_EQ(End(), kAck);
  EXPECT_EQ(result.get(), 1);
  EXPECT_EQ(ReadBytes(folder / "LONG").size(), 1152u);
  EXPECT_EQ(progress.Last(kProgressBytes), 1152);
}

TEST_F(XModemReceiveTest, BlockNumbersWrapPast255WithoutNak) {
  auto result = Receive({"BIG"});
  EXPECT_EQ(NextByte(), kNak);
  for (int i = 1; i <= 300; ++i) {
    ASSERT_EQ(Offer(static_cast<uint8_t>(i), Filled(static_cast<uint8_t>(i))), kAck) << i;
  }
  EXPECT_EQ(End(), kAck);
  EXPECT_EQ(result.get(), 1);
  std::vector<uint8_t> file = ReadBytes(folder / "BIG");
  ASSERT_EQ(file.size(), 300u * 128);
  EXPECT_EQ(file[255 * 128], 0);    // block 256, numbered 0
  EXPECT_EQ(file[299 * 128], 300 % 256);
}

TEST_F(XModemReceiveTest, RepeatedBlockAfterLostAckReplacesItsCopy) {
  auto result = Receive({"OBJ"});
  EXPECT_EQ(NextByte(), kNak);
  EXPECT_EQ(Offer(1, Filled(0x11)), kAck);
  EXPECT_EQ(Offer(2, Filled(0x22)), kAck);
  EXPECT_EQ(Offer(2, Filled(0x33)), kAck);  // our ACK was lost on the way
  EXPECT_EQ(Offer(3, Filled(0x44)), kAck);
  EXPECT_EQ(End(), kAck);
  EXPECT_EQ(result.get(), 1);
  EXPECT_EQ(ReadBytes(folder / "OBJ"), Joined({Filled(0x11), Filled(0x33), Filled(0x44)}));
  EXPECT_EQ(progress.Last(kProgressPackets), 3);
}

TEST_F(XModemReceiveTest, BadBlocksAreRefusedAndTheirRepetitionStoredOnce) {
  auto result = Receive({"OBJ"});
  EXPECT_EQ(NextByte(), kNak);
  EXPECT_EQ(Offer(1, Filled(0x11)), kAck);
  std::vector<uint8_t> bad = FrameXBlock(2, Filled(0x22));
  bad.back() ^= 0xFF;  // checksum
  peer.Write(bad);
  EXPECT_EQ(NextByte(), kNak);
  bad = FrameXBlock(2, Filled(0x22));
  bad[2] = 0;  // complement
  peer.Write(bad);
  EXPECT_EQ(NextByte(), kNak);
  EXPECT_EQ(Offer(3, Filled(0x33)), kNak);  // skips a number
  bad = FrameXBlock(2, Filled(0x22));
  bad[0] = 2;  // not SOH
  peer.Write(bad);
  EXPECT_EQ(NextByte(), kNak);
  EXPECT_EQ(Offer(2, Filled(0x22)), kAck);
  EXPECT_EQ(End(), kAck);
  EXPECT_EQ(result.get(), 1);
  EXPECT_EQ(ReadBytes(folder / "OBJ"), Joined({Filled(0x11), Filled(0x22)}));
}

TEST_F(XModemReceiveTest, SenderThatNeverStartsGetsTwelveNaksAndLeavesNoFile) {
  auto result = Receive({"OBJ", "NEXT"});
  for (int i = 0; i < 12; ++i) {
    ASSERT_EQ(NextByte(), kNak) << i;
    peer.Write('?');  // anything but SOH
  }
  EXPECT_EQ(result.get(), 0);
  EXPECT_TRUE(peer.Silent(300));
  EXPECT_TRUE(window.texts().empty());
  EXPECT_TRUE(folder.Names().empty());
}

TEST_F(XModemReceiveTest, ABlockThatLostAByteIsAskedAgainAndSilenceEndsTheTransfer) {
  link.m_msPerSecond = 100;  // tenth-second time-outs: twelve silences take a second
  WriteBytes(folder / "OBJ", {9, 9, 9});  // an older file of the same name
  auto result = Receive({"OBJ"});
  EXPECT_EQ(NextByte(), kNak);
  EXPECT_EQ(Offer(1, Filled(0x11)), kAck);
  std::vector<uint8_t> cut = FrameXBlock(2, Filled(0x22));
  cut.erase(cut.begin() + 60);  // one byte lost on the line: the block times out
  peer.Write(cut);
  EXPECT_EQ(NextByte(), kNak);
  EXPECT_EQ(Offer(2, Filled(0x22)), kAck);
  // The sender falls silent inside block 3: asked again, twelve times at
  // most, then told to stop.
  std::vector<uint8_t> part = FrameXBlock(3, Filled(0x33));
  part.resize(40);
  peer.Write(part);
  int naks = 0;
  uint8_t b = 0;
  while ((b = NextByte()) == kNak) ++naks;
  EXPECT_EQ(naks, 12);
  EXPECT_EQ(b, kCan);
  EXPECT_EQ(result.get(), 0);
  EXPECT_EQ(window.texts(),
            (std::vector<std::string>{"No response from HP", "Transfer was aborted"}));
  for (const ShownMessage& m : window.messages()) {
    EXPECT_EQ(m.caption, "ERROR");
    EXPECT_EQ(m.icon, MessageIcon::Error);
  }
  EXPECT_EQ(folder.Names(), std::vector<std::string>{"OBJ"});
  EXPECT_EQ(ReadBytes(folder / "OBJ"), (std::vector<uint8_t>{9, 9, 9}));
}

TEST_F(XModemReceiveTest, TwelveBadBlocksOrACancelAbortTheTransfer) {
  auto result = Receive({"OBJ"});
  EXPECT_EQ(NextByte(), kNak);
  std::vector<uint8_t> bad = FrameXBlock(1, Filled(0x11));
  bad.back() ^= 1;
  for (int i = 0; i < 12; ++i) {
    peer.Write(bad);
    ASSERT_EQ(NextByte(), kNak) << i;
  }
  EXPECT_EQ(NextByte(), kCan);  // the sender is told to stop
  EXPECT_EQ(NextByte(), kCan);
  EXPECT_EQ(result.get(), 0);
  EXPECT_EQ(window.texts(), std::vector<std::string>{"Transfer was aborted"});
  EXPECT_TRUE(folder.Names().empty());

  auto second = Receive({"OBJ"});
  EXPECT_EQ(NextByte(), kNak);
  EXPECT_EQ(Offer(1, Filled(0x11)), kAck);
  peer.Write(kCan);
  EXPECT_EQ(second.get(), 0);
  EXPECT_EQ(window.texts().size(), 2u);
  EXPECT_TRUE(folder.Names().empty());
}

TEST_F(XModemReceiveTest, CancelStopsBeforeTheNextBlock) {
  auto result = Receive({"OBJ"});
  EXPECT_EQ(NextByte(), kNak);
  EXPECT_EQ(Offer(1, Filled(0x11)), kAck);
  link.Cancel();
  peer.Write(FrameXBlock(2, Filled(0x22)));
  EXPECT_EQ(result.get(), 0);
  EXPECT_EQ(window.texts(), std::vector<std::string>{"Transfer was aborted"});
  EXPECT_TRUE(folder.Names().empty());
}

TEST_F(XModemReceiveTest, ListTakesOneTransferPerNameBesideExistingFiles) {
  WriteBytes(folder / "A", {7});
  auto result = Receive({"A", "B"});
  EXPECT_EQ(NextByte(), kNak);
  EXPECT_EQ(Offer(1, Filled(0x11)), kAck);
  EXPECT_EQ(End(), kAck);
  EXPECT_EQ(NextByte(), kNak);  // the second transfer asks for its start
  EXPECT_EQ(Offer(1, Filled(0x22)), kAck);
  EXPECT_EQ(End(), kAck);
  EXPECT_EQ(result.get(), 1);
  EXPECT_EQ(folder.Names(), (std::vector<std::string>{"A", "A.1", "B"}));
  EXPECT_EQ(ReadBytes(folder / "A"), std::vector<uint8_t>{7});
  EXPECT_EQ(ReadBytes(folder / "A.1"), Filled(0x11));
  EXPECT_EQ(ReadBytes(folder / "B"), Filled(0x22));
}

TEST_F(XModemReceiveTest, FolderThatCannotTakeTheFileIsReported) {
  session.CurrentPCFolder = folder / "missing/";
  EXPECT_EQ(link.XModemReceiveList({"OBJ"}), 0);
  EXPECT_EQ(window.texts(), std::vector<std::string>{"Could not create file: " +
                                                     (folder / "missing/OBJ") +
                                                     ": the folder does not exist"});
  EXPECT_TRUE(peer.Silent(300));
}

}  // namespace
}  // namespace dravik
