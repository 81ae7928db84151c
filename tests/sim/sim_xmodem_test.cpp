// XSEND and XRECV on the simulated line against a scripted receiver and
// sender: repeated and damaged blocks, fill bytes, the end of a transfer;
// a 49's blocks compared with real ones.
#include "sim_xmodem.h"

#include <gtest/gtest.h>

#include <future>

#include "link/block_check.h"
#include "raw_device.h"

namespace dravik::sim {
namespace {

using namespace std::chrono_literals;
using namespace std::string_literals;
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

// A 49's XSEND of a 1200-character string, as captured after each start:
// one 1024-byte STX block, then 128-byte SOH blocks; after a 'D' each
// block carries its CRC-16 high byte first, after a NAK its sum. The last
// block goes on with what followed the string in memory.
struct Xmodem49Start {
  char start;
  const char* checks[3];
};

class Xmodem49Send : public ::testing::TestWithParam<Xmodem49Start> {};

TEST_P(Xmodem49Send, LongFileStartsWithA1024ByteBlockAndEachBlockHasTheCheckAsked) {
  std::string file = "HPHP49-B,*P\x96"s + '\0';
  for (int i = 0; i < 120; ++i) file += "0123456789";
  // What followed it in memory, as the capture shows.
  const std::string memory(
      "t\x09""\xa0""\x80""\xd5""\xf4""FV\xd6""\xe6""B\xd7""\x06""\xa7""\xd0""\xd9""\x02"
      "\xb9""\x89""\xf3""\x9e""8H.0\xc0""\x14""#C\xa1""8\x92"".\xb0""\x0a""O@\x9d"
      "8+1\xe0""\x04""\x00""\x02""XR\x02""\x9d""-\x90""\x9b""8H.\xa0""\x80""\xd5""\xf4"
      "FV\xd6""\xe6""B\xd7""\x06""\xf7", 67);
  ASSERT_EQ(file.size() + memory.size(), 1280u);
  SimLine line;
  ASSERT_TRUE(line.ok());
  RawDevice pc(line.device());
  const XModemStyle style = Traits(SimModel::k49G).xmodem;
  auto result = std::async(std::launch::async, [&] {
    return XModemSend(line, Bytes(file.begin(), file.end()), Bytes(memory.begin(), memory.end()),
                      Fast(), style);
  });
  std::this_thread::sleep_for(300ms);  // XSEND has begun and dropped old input
  pc.Write("C");                        // a 'C' does not start it
  EXPECT_EQ(pc.Drain(300ms), "");
  pc.Write(std::string(1, GetParam().start));
  const std::string all = file + memory;
  const size_t check = GetParam().start == 'D' ? 2 : 1;
  EXPECT_EQ(pc.Read(3 + 1024 + check), "\x02\x01\xfe" + all.substr(0, 1024) + GetParam().checks[0]);
  pc.Write("\x06");
  EXPECT_EQ(pc.Read(3 + 128 + check), "\x01\x02\xfd" + all.substr(1024, 128) + GetParam().checks[1]);
  pc.Write("\x06");
  EXPECT_EQ(pc.Read(3 + 128 + check), "\x01\x03\xfc" + all.substr(1152) + GetParam().checks[2]);
  pc.Write("\x06");
  EXPECT_EQ(pc.Read(1), "\x04");
  pc.Write("\x06");
  EXPECT_EQ(result.get(), "");
}

INSTANTIATE_TEST_SUITE_P(Starts, Xmodem49Send,
                         ::testing::Values(Xmodem49Start{'D', {"\x8c,", "\x07\xc5", "\xd4;"}},
                                           Xmodem49Start{'\x15', {"\x99", "@", "@"}}),
                         [](const ::testing::TestParamInfo<Xmodem49Start>& param) {
                           return param.param.start == 'D' ? "CrcAfterD" : "SumAfterNak";
                         });

// A 49's XRECV asks four times with 'D' before its first NAK; a block that
// answers a 'D' carries a CRC, one that answers the NAK a sum.
class Xmodem49Receive : public ::testing::TestWithParam<bool> {};

TEST_P(Xmodem49Receive, BlocksFollowTheStartTheyAnswer) {
  const bool after_nak = GetParam();
  SimLine line;
  ASSERT_TRUE(line.ok());
  RawDevice pc(line.device());
  Bytes got;
  auto result = std::async(std::launch::async, [&] {
    return XModemReceive(line, got, XModemTiming::ForStyle(Traits(SimModel::k49G).xmodem).Scaled(0.05),
                         Traits(SimModel::k49G).xmodem);
  });
  EXPECT_EQ(pc.Read(after_nak ? 5 : 1), after_nak ? "DDDD\x15" : "D");
  std::string body = "HPHP49-B3)"s + std::string(7, '\0') + "\x15"s + '\0';
  body.resize(128, '\x1a');
  std::string block = "\x01\x01\xfe" + body;
  if (after_nak) {
    uint8_t sum = 0;
    for (char c : body) sum = static_cast<uint8_t>(sum + static_cast<uint8_t>(c));
    block += static_cast<char>(sum);
  } else {
    const unsigned crc = Crc16Kermit(reinterpret_cast<const uint8_t*>(body.data()), body.size());
    block += {static_cast<char>(crc >> 8), static_cast<char>(crc & 0xFF)};
  }
  pc.Write(block);
  EXPECT_EQ(pc.Read(1), "\x06");
  pc.Write("\x04");
  EXPECT_EQ(pc.Read(1), "\x06");
  EXPECT_EQ(result.get(), "");
  EXPECT_EQ(std::string(got.begin(), got.end()), body);
}

INSTANTIATE_TEST_SUITE_P(Starts, Xmodem49Receive, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool>& param) {
                           return param.param ? "ChecksumAfterNak" : "CrcAfterD";
                         });

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
