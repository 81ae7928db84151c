#include "kermit_codec.h"

#include <gtest/gtest.h>

#include <random>

namespace dravik::sim {
namespace {

using namespace std::string_literals;

TEST(KermitCodec, PacketsAreFramedAsTheCalculatorFramesThem) {
  InitParams peer;  // defaults: no padding, CR after each packet
  EXPECT_EQ(BuildPacket(1, 0, 'S', CalculatorSendInit(3), peer), "\x01+ S~* @-#Y3$\r");
  EXPECT_EQ(BuildPacket(1, 0, 'S', CalculatorSendInit(2), peer), "\x01+ S~* @-#Y2#\r");
  EXPECT_EQ(BuildPacket(1, 0, 'N', "", peer), "\x01# N3\r");
  EXPECT_EQ(BuildPacket(1, 2, 'D', "Empty Stack", peer), "\x01.\"DEmpty Stack[\r");
  EXPECT_EQ(BuildPacket(3, 1, 'F', "P", peer), "\x01&!FP-T=\r");
  EXPECT_EQ(BuildPacket(2, 1, 'F', "P", peer), "\x01%!FP#<\r");
  peer.npad = 2;
  peer.padc = 'x';
  peer.eol = '\n';
  EXPECT_EQ(BuildPacket(1, 0, 'N', "", peer), "xx\x01# N3\n");
}

TEST(KermitCodec, FramesAreCheckedWithTheTypeInForce) {
  Packet p;
  EXPECT_EQ(ParseFrame("(!FSP3\"ZH", 3, &p), FrameStatus::kOk);
  EXPECT_EQ(p.type, 'F');
  EXPECT_EQ(p.seq, 1);
  EXPECT_EQ(p.data, "SP3");
  EXPECT_EQ(ParseFrame("(!FSP3\"ZI", 3, &p), FrameStatus::kBadCheck);
  EXPECT_EQ(ParseFrame("(!FSP3\"ZH", 1, &p), FrameStatus::kBadCheck);
  EXPECT_EQ(ParseFrame("\" N", 1, &p), FrameStatus::kMalformed);  // LEN too small for a check
  EXPECT_EQ(ParseFrame("~ D", 1, &p), FrameStatus::kMalformed);   // LEN beyond the bytes
  EXPECT_EQ(ParseFrame("", 1, &p), FrameStatus::kMalformed);
}

TEST(KermitCodec, InitParametersAndTheCalculatorsAcknowledgement) {
  InitParams ours = ParseInitParams("~* @-#Y1");
  EXPECT_EQ(ours.maxl, 94);
  EXPECT_EQ(ours.time, 10);
  EXPECT_EQ(ours.chkt, 1);
  EXPECT_EQ(ours.qbin, 'Y');
  EXPECT_EQ(InitAckParams(ours), "~& @-# 1");
  EXPECT_EQ(InitAckParams(ParseInitParams("~' @-#Y1")), "~- @-# 1");
  EXPECT_EQ(InitAckParams(ParseInitParams("~' @-#Y3")), "~- @-# 3");
  EXPECT_EQ(InitAckParams(ParseInitParams("~* @-#Y2")), "~& @-# 2");

  // A short TIME for soak tests replaces the real one's in S and ACK.
  EXPECT_EQ(CalculatorSendInit(3, 1), "~! @-#Y3");
  EXPECT_EQ(InitAckParams(ours, 2), "~\" @-# 1");

  InitParams empty = ParseInitParams("");  // an empty ACK
  EXPECT_EQ(empty.maxl, 80);
  EXPECT_EQ(empty.chkt, 1);
  EXPECT_EQ(empty.eol, 13);
  EXPECT_EQ(empty.qctl, '#');
  EXPECT_EQ(empty.qbin, 0);
  InitParams odd = ParseInitParams("% !\x01!\x7f 9");  // MAXL 5, EOL 1, bad QCTL, CHKT 9
  EXPECT_EQ(odd.maxl, 80);
  EXPECT_EQ(odd.eol, 13);
  EXPECT_EQ(odd.qctl, '#');
  EXPECT_EQ(odd.chkt, 1);
}

TEST(KermitCodec, EightBitBytesGoRawOrPrefixedAsCaptured) {
  const std::string x8 = "\"\x80\x8d\x8f\xab\xbb\xd7\xe5\xff#\""s;
  EXPECT_EQ(EncodeText(x8), "\"#\xc0#\xcd#\xcf\xab\xbb\xd7\xe5#\xbf##\""s);
  EXPECT_EQ(EncodeText(x8, '&'), "\"&#@&#M&#O&+&;&W&e&#?##\"");
  EXPECT_EQ(EncodeText("a&b\r\n", '&'), "a#&b#M#J");
  EXPECT_EQ(EncodeText("a&b\r\n"), "a&b#M#J");
  EXPECT_EQ(DecodeText("\"#\xc0#\xcd#\xcf\xab\xbb\xd7\xe5#\xbf##\""s, '#'), x8);
  EXPECT_EQ(DecodeText("\"&#@&#M&#O&+&;&W&e&#?##\"", '#', '&'), x8);
}

TEST(KermitCodec, DataIsCutBetweenEncodingsNeverInside) {
  std::vector<uint8_t> data = {'a', 'b', '\r', '\n', 'c'};
  size_t pos = 0;
  EXPECT_EQ(EncodeData(data, pos, 3, 0), "ab");
  EXPECT_EQ(EncodeData(data, pos, 3, 0), "#M");
  EXPECT_EQ(EncodeData(data, pos, 3, 0), "#Jc");
  EXPECT_EQ(pos, data.size());
}

TEST(KermitCodec, DecodingTakesAnyBytesWithoutFault) {
  EXPECT_EQ(DecodeText("#", '#'), "#");            // a prefix at the very end
  EXPECT_EQ(DecodeText("&", '#', '&'), "&");
  EXPECT_EQ(DecodeText("&#", '#', '&'), "\xa3"s);  // 8th bit on a lone prefix
  EXPECT_EQ(DecodeText("#?#@#~", '#'), "\x7f\x00~"s);
  std::mt19937 rng(7);
  for (int round = 0; round < 2000; ++round) {
    std::string field(rng() % 120, '\0');
    for (char& c : field) c = static_cast<char>(rng());
    std::vector<uint8_t> out = DecodeData(field, '#', (round & 1) ? '&' : 0);
    EXPECT_LE(out.size(), field.size());
  }
}

}  // namespace
}  // namespace dravik::sim
