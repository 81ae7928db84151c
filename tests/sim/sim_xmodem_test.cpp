// XSEND and XRECV on the simulated line against a scripted receiver and
// sender: repeated and damaged blocks, fill bytes, the end of a transfer.
#include "sim_xmodem.h"

#include <gtest/gtest.h>

#include <future>

#include "raw_device.h"

namespace dravik::sim {
namespace {

using namespace std::chrono_literals;
using testing::RawDevice;

std::string Block(uint8_t number, const std::string& data, int damage = 0) {
  std::string b = {'\x01', static_cast<char>(number), static_cast<char>(255 - number)};
  std::string body = data;
  body.resize(128, '\0');
  uint8_t sum = 0;
  for (char c : body) sum = static_cast<uint8_t>(sum + static_cast<uint8_t>(c));
  return b + body + static_cast<char>(sum + damage);
}

XModemTiming Fast() { return XModemTiming{}.Scaled(0.1); }

TEST(SimXModem, XsendRepeatsANakedBlockAndEndsWithEot) {
  SimLine line;
  ASSERT_TRUE(line.ok());
  RawDevice pc(line.device());
  std::string text(200, 'x');
  Bytes data(text.begin(), text.end());
  auto result = std::async(std::launch::async, [&] { return XModemSend(line, data, Fast()); });
  std::this_thread::sleep_for(300ms);  // XSEND has begun and dropped old input
  pc.Write("C");  // a CRC request is not an answer
  EXPECT_EQ(pc.Drain(300ms), "");
  pc.Write("\x15");
  EXPECT_EQ(pc.Read(132), Block(1, text.substr(0, 128)));
  pc.Write("\x15");  // damaged on the way: the same block again
  EXPECT_EQ(pc.Read(132), Block(1, text.substr(0, 128)));
  pc.Write("\x06");
  EXPECT_EQ(pc.Read(132), Block(2, text.substr(128)));  // filled with zero bytes
  pc.Write("\x06");
  EXPECT_EQ(pc.Read(1), "\x04");
  pc.Write("\x06");
  EXPECT_EQ(result.get(), "");
}

TEST(SimXModem, XsendWithoutAReceiverTimesOut) {
  SimLine line;
  RawDevice pc(line.device());
  XModemTiming t = Fast();
  t.start_wait = 300ms;
  EXPECT_EQ(XModemSend(line, Bytes(10, 1), t), "Timeout");
}

TEST(SimXModem, XrecvNaksDamageAndStoresARepeatedBlockOnce) {
  SimLine line;
  ASSERT_TRUE(line.ok());
  RawDevice pc(line.device());
  Bytes got;
  auto result = std::async(std::launch::async, [&] { return XModemReceive(line, got, Fast()); });
  EXPECT_EQ(pc.Read(1), "\x15");  // the start: NAK, never 'C'
  pc.Write(Block(1, "first", 1));
  EXPECT_EQ(pc.Read(1), "\x15");
  pc.Write(Block(1, "first"));
  EXPECT_EQ(pc.Read(1), "\x06");
  pc.Write(Block(1, "first"));  // our ACK was lost
  EXPECT_EQ(pc.Read(1), "\x06");
  pc.Write(Block(3, "out of order"));
  EXPECT_EQ(pc.Read(1), "\x15");
  pc.Write(Block(2, "second"));
  EXPECT_EQ(pc.Read(1), "\x06");
  pc.Write("\x04");
  EXPECT_EQ(pc.Read(1), "\x06");
  EXPECT_EQ(result.get(), "");
  std::string expected = "first";
  expected.resize(128, '\0');
  expected += "second";
  expected.resize(256, '\0');
  EXPECT_EQ(std::string(got.begin(), got.end()), expected);
}

TEST(SimXModem, XrecvGivesUpWhenTheSenderCancels) {
  SimLine line;
  RawDevice pc(line.device());
  Bytes got;
  auto result = std::async(std::launch::async, [&] { return XModemReceive(line, got, Fast()); });
  EXPECT_EQ(pc.Read(1), "\x15");
  pc.Write("\x18\x18");
  EXPECT_EQ(result.get(), "Transfer Failed");
}

}  // namespace
}  // namespace dravik::sim
