// Sending over XModem to a scripted receiver on a pseudo-terminal.
#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <string>
#include <thread>
#include <vector>

#include "link/block_check.h"
#include "link/calculator_model.h"
#include "link/xmodem_link.h"
#include "pty_pair.h"
#include "recording_window.h"
#include "scratch_folder.h"
#include "xmodem_peer_script.h"

namespace dravik {
namespace {

using namespace testing;

std::vector<uint8_t> Counting(size_t size, uint8_t start = 1) {
  std::vector<uint8_t> data(size);
  for (size_t i = 0; i < size; ++i) data[i] = static_cast<uint8_t>(start + i);
  return data;
}

std::vector<uint8_t> Slice(const std::vector<uint8_t>& data, size_t from, size_t to) {
  return {data.begin() + static_cast<long>(from), data.begin() + static_cast<long>(to)};
}

class XModemSendTest : public ::testing::Test {
 protected:
  void SetUp() override {
    session.Settings.PortNumber = 1;
    session.PortDevices[0] = pty.device();
    session.CurrentPCFolder = folder.path();
    session.MainWindow = &window;
    session.ProgressWindow = &progress;
    ASSERT_TRUE(link.Open());
  }

  std::string File(const std::string& name, const std::vector<uint8_t>& bytes) {
    WriteBytes(folder / name, bytes);
    return folder / name;
  }
  std::future<int> Send(std::vector<std::string> list) {
    return std::async(std::launch::async, [this, list] { return link.XModemSendList(list); });
  }
  // The next block, checked for its frame and checksum.
  XBlock Expect(uint8_t number, int timeout_ms = 5000) {
    XBlock block = ReadXBlock(peer, timeout_ms);
    EXPECT_EQ(block.header, kSoh);
    EXPECT_EQ(block.number, number);
    EXPECT_EQ(block.complement, 255 - number);
    EXPECT_TRUE(block.checksum_ok());
    return block;
  }
  uint8_t NextByte(int timeout_ms = 5000) {
    uint8_t b = 0xEE;
    peer.ReadByte(b, timeout_ms);
    return b;
  }

  PtyPair pty;
  ScratchFolder folder;
  Session session;
  RecordingWindow window;
  RecordingProgress progress;
  CXModemLink link{session};
  LineEnd peer{pty.master()};
};

TEST_F(XModemSendTest, ThreeHundredBytesAreThreeBlocksWithZeroFillThenEot) {
  std::vector<uint8_t> data = Counting(300);
  auto result = Send({File("f", data)});
  peer.Write(kNak);
  EXPECT_EQ(Expect(1).data, Slice(data, 0, 128));
  peer.Write(kAck);
  EXPECT_EQ(Expect(2).data, Slice(data, 128, 256));
  peer.Write(kAck);
  std::vector<uint8_t> last = Slice(data, 256, 300);
  last.resize(128, 0);  // 44 data bytes, 84 zeros
  EXPECT_EQ(Expect(3).data, last);
  peer.Write(kAck);
  EXPECT_EQ(NextByte(), kEot);
  peer.Write(kAck);
  EXPECT_EQ(result.get(), 1);
  EXPECT_TRUE(window.texts().empty());
  EXPECT_EQ(progress.Last(kProgressPackets), 3);
  EXPECT_EQ(progress.Last(kProgressBytes), 384);
}

TEST_F(XModemSendTest, WholeBlocksEndWithEotAndAnEmptyFileWithEotOnly) {
  auto result = Send({File("f", Counting(256)), File("empty", {})});
  peer.Write(kNak);
  Expect(1);
  peer.Write(kAck);
  Expect(2);
  peer.Write(kAck);
  EXPECT_EQ(NextByte(), kEot);  // no empty third block
  peer.Write(kAck);
  peer.Write(kNak);  // the second transfer starts
  EXPECT_EQ(NextByte(), kEot);
  peer.Write(kAck);
  EXPECT_EQ(result.get(), 1);
  EXPECT_TRUE(peer.Silent(300));
}

TEST_F(XModemSendTest, NakOrAnyOtherAnswerResendsTheSameShortLastBlock) {
  std::vector<uint8_t> data = Counting(300);
  auto result = Send({File("f", data)});
  peer.Write(kNak);
  Expect(1);
  peer.Write(kAck);
  Expect(2);
  peer.Write(kAck);
  XBlock first = Expect(3);
  peer.Write(kNak);
  EXPECT_EQ(Expect(3).data, first.data);
  peer.Write('C');  // neither ACK nor NAK: not an acknowledgement either
  EXPECT_EQ(Expect(3).data, first.data);
  peer.Write(kAck);
  EXPECT_EQ(NextByte(), kEot);
  peer.Write(kAck);
  EXPECT_EQ(result.get(), 1);
  EXPECT_TRUE(window.texts().empty());
}

TEST_F(XModemSendTest, TwelveFailuresSendCanAndEndTheJob) {
  auto result = Send({File("a", Counting(200)), File("b", Counting(10))});
  peer.Write(kNak);
  for (int i = 0; i < 12; ++i) {
    SCOPED_TRACE(i);
    Expect(1);
    peer.Write(i % 2 ? kNak : 'x');
  }
  EXPECT_EQ(NextByte(), kCan);
  EXPECT_EQ(NextByte(), kCan);
  EXPECT_EQ(result.get(), 0);
  EXPECT_EQ(window.texts(), std::vector<std::string>{"Transfer was aborted"});
  EXPECT_EQ(window.messages()[0].caption, "ERROR");
  EXPECT_EQ(window.messages()[0].icon, MessageIcon::Error);
  EXPECT_EQ(progress.Last(kProgressItem), 0);  // the second file never started
  EXPECT_TRUE(peer.Silent(300));
}

TEST_F(XModemSendTest, ReceiverCancelEndsTheFileWithoutEot) {
  auto result = Send({File("a", Counting(300))});
  peer.Write(kNak);
  Expect(1);
  peer.Write(kCan);
  EXPECT_EQ(result.get(), 0);
  EXPECT_EQ(window.texts(), std::vector<std::string>{"Transfer was aborted"});
  EXPECT_TRUE(peer.Silent(300));
}

TEST_F(XModemSendTest, SilenceAfterABlockOrEotResendsItAndIsReportedAtTheEnd) {
  std::vector<uint8_t> data = Counting(130);
  auto result = Send({File("f", data)});
  peer.Write(kNak);
  XBlock first = Expect(1);
  // No answer: after two seconds the same block comes again.
  EXPECT_EQ(Expect(1).data, first.data);
  peer.Write(kAck);
  Expect(2);
  peer.Write(kAck);
  EXPECT_EQ(NextByte(), kEot);
  // Nor is silence after EOT taken for its acknowledgement.
  EXPECT_EQ(NextByte(), kEot);
  peer.Write(kAck);
  EXPECT_EQ(result.get(), 1);
  ASSERT_EQ(window.texts(), std::vector<std::string>{"No response from HP"});
  EXPECT_EQ(window.messages()[0].caption, "ERROR");
}

// The user needs time to find the calculator and start its program: the
// send waits without a message box, which would keep the line unread.
TEST_F(XModemSendTest, ALateStartGoesAheadWithoutAQuestion) {
  auto result = Send({File("f", Counting(5))});
  std::this_thread::sleep_for(std::chrono::milliseconds(1500));
  peer.Write(kNak);
  Expect(1);
  peer.Write(kAck);
  EXPECT_EQ(NextByte(), kEot);
  peer.Write(kAck);
  EXPECT_EQ(result.get(), 1);
  EXPECT_TRUE(window.messages().empty());
}

TEST_F(XModemSendTest, AReceiverThatNeverStartsEndsTheJobForTheJobToExplain) {
  link.m_startPatience = 2;
  auto result = Send({File("f", Counting(5)), File("g", Counting(5))});
  EXPECT_EQ(NextByte(5000), kCan);
  EXPECT_EQ(result.get(), 0);
  EXPECT_TRUE(link.m_neverStarted);
  EXPECT_TRUE(window.messages().empty());
}

// Real HP49G: its XRECV asks with 'D' for blocks with a CRC-16/KERMIT of the
// data, high byte first.
TEST_F(XModemSendTest, AnHp49AskingWithDGetsCrcBlocks) {
  session.Model = &Hp49Model();
  const std::vector<uint8_t> data = Counting(5);
  auto result = Send({File("f", data)});
  peer.Write('D');
  const std::vector<uint8_t> frame = peer.Read(133, 5000);
  ASSERT_EQ(frame.size(), 133u);
  EXPECT_EQ(frame[0], kSoh);
  std::vector<uint8_t> block = data;
  block.resize(128, 0);
  EXPECT_EQ(std::vector<uint8_t>(frame.begin() + 3, frame.begin() + 131), block);
  const unsigned crc = Crc16Kermit(block.data(), block.size());
  EXPECT_EQ(frame[131], crc >> 8);
  EXPECT_EQ(frame[132], crc & 0xFF);
  peer.Write(kAck);
  EXPECT_EQ(NextByte(), kEot);
  peer.Write(kAck);
  EXPECT_EQ(result.get(), 1);
}

TEST_F(XModemSendTest, MissingFileIsReportedAndEndsTheJob) {
  std::string missing = folder / "nothere";
  EXPECT_EQ(link.XModemSendList({missing, File("f", Counting(5))}), 0);
  ASSERT_EQ(window.texts(), std::vector<std::string>{"Could not open file: " + missing});
  EXPECT_EQ(window.messages()[0].caption, "ERROR");
  EXPECT_EQ(window.messages()[0].icon, MessageIcon::Error);
  EXPECT_TRUE(peer.Silent(300));
}

TEST_F(XModemSendTest, CancelSendsCanAtTheNextBlock) {
  auto result = Send({File("f", Counting(400))});
  peer.Write(kNak);
  Expect(1);
  link.Cancel();
  peer.Write(kAck);
  EXPECT_EQ(NextByte(), kCan);
  EXPECT_EQ(result.get(), 0);
  EXPECT_TRUE(window.texts().empty());
}

}  // namespace
}  // namespace dravik
