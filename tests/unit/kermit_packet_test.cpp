#include <gtest/gtest.h>

#include "pty_link.h"

namespace dravik::testing {
namespace {

std::string Bytes(std::initializer_list<int> values) {
  std::string s;
  for (int v : values) s += static_cast<char>(v);
  return s;
}

TEST(KermitPacket, SendInitAndNakAreTheExactBytes) {
  PtyLink t;
  ASSERT_TRUE(t.opened);
  KermitPeer peer = t.peer();
  t.link->SendPacket('S', 0, t.link->MakeInitParams());
  EXPECT_EQ(peer.ReadRaw(200), Bytes({0x01, 0x2B, 0x20, 0x53, 0x7E, 0x27, 0x20, 0x40, 0x2D, 0x23,
                                      0x59, 0x31, 0x5E, 0x0D}));
  t.link->SendPacket('N', 0, {});
  EXPECT_EQ(peer.ReadRaw(200), "\x01# N3\r");
  // The send buffer keeps the packet for retransmission.
  EXPECT_EQ(t.link->SendBuffer(), "\x01# N3\r");
}

TEST(KermitPacket, PadsAndPeerEolAndChecksTwoAndThree) {
  PtyLink t;
  ASSERT_TRUE(t.opened);
  KermitPeer peer = t.peer();
  t.link->m_padCount = 2;
  t.link->m_padChar = 0x7F;
  t.link->m_eol = 10;
  t.link->m_checkType = 3;
  t.link->SendPacket('D', 5, "123456789");
  std::string wire = peer.ReadRaw(200);
  std::string expected = "\x7f\x7f\x01";
  expected += KermitPeer::Build('D', 5, "123456789", 3).substr(1);
  expected.back() = '\n';
  EXPECT_EQ(wire, expected);
  t.link->m_padCount = 0;
  t.link->m_eol = 13;
  t.link->m_checkType = 2;
  t.link->SendPacket('Y', 63, {});
  EXPECT_EQ(peer.ReadRaw(200), KermitPeer::Build('Y', 63, {}, 2));
}

TEST(KermitPacket, ParityStripMasksTheTopBitInChecks) {
  PtyLink t;
  ASSERT_TRUE(t.opened);
  KermitPeer peer = t.peer();
  t.link->m_stripParity = 1;
  t.link->SendPacket('D', 1, "\xC1");
  std::string with_high = peer.ReadRaw(200);
  t.link->SendPacket('D', 1, "A");
  std::string plain = peer.ReadRaw(200);
  ASSERT_EQ(with_high.size(), plain.size());
  EXPECT_EQ(with_high[with_high.size() - 2], plain[plain.size() - 2]);
  // And a received packet whose bytes carry a parity bit is still good.
  std::string p = KermitPeer::Build('Y', 0, "AB", 1);
  for (size_t i = 1; i + 1 < p.size(); ++i) p[i] = static_cast<char>(p[i] | 0x80);
  peer.SendRaw(p);
  EXPECT_EQ(t.link->ReceivePacket(), 'Y');
  EXPECT_EQ(t.link->m_rxLen, 2);
}

TEST(KermitPacket, ReceivesGoodPacketsBehindNoise) {
  PtyLink t;
  ASSERT_TRUE(t.opened);
  KermitPeer peer = t.peer();
  peer.SendRaw("\x00\x7f garbage" + KermitPeer::Build('D', 7, "hello", 1));
  EXPECT_EQ(t.link->ReceivePacket(), 'D');
  EXPECT_EQ(t.link->m_rxSeq, 7);
  EXPECT_EQ(t.link->m_rxLen, 5);
  EXPECT_EQ(t.link->m_data, "hello");
  t.link->m_checkType = 3;
  peer.Send('Z', 63, "D", 3);
  EXPECT_EQ(t.link->ReceivePacket(), 'Z');
  EXPECT_EQ(t.link->m_data, "D");
}

TEST(KermitPacket, BadAndTruncatedPacketsAreQAndSilenceIsT) {
  PtyLink t(1);
  ASSERT_TRUE(t.opened);
  KermitPeer peer = t.peer();
  // No MARK.
  peer.SendRaw("# N3\r");
  EXPECT_EQ(t.link->ReceivePacket(), 'Q');
  // Wrong check character.
  std::string p = KermitPeer::Build('Y', 0, "abc", 1);
  p[p.size() - 2] ^= 1;
  peer.SendRaw(p);
  EXPECT_EQ(t.link->ReceivePacket(), 'Q');
  EXPECT_EQ(t.link->m_rxLen, -1);
  // LEN points past the end of the line.
  peer.SendRaw("\x01~ Yab\r");
  EXPECT_EQ(t.link->ReceivePacket(), 'Q');
  // LEN too small for the check, LEN of an extended packet, an 8-bit LEN.
  peer.SendRaw("\x01\x22 Y\r");
  EXPECT_EQ(t.link->ReceivePacket(), 'Q');
  peer.SendRaw("\x01\x20 Yxxxxxxxxxxx\r");
  EXPECT_EQ(t.link->ReceivePacket(), 'Q');
  peer.SendRaw("\x01\xff Yxxxxxxxxxxx\r");
  EXPECT_EQ(t.link->ReceivePacket(), 'Q');
  // Only MARK and LEN.
  peer.SendRaw("\x01#\r");
  EXPECT_EQ(t.link->ReceivePacket(), 'Q');
  // Nothing at all.
  EXPECT_EQ(t.link->ReceivePacket(), 'T');
}

TEST(KermitPacket, LongLinesStopAtTheLineLimit) {
  PtyLink t;
  ASSERT_TRUE(t.opened);
  KermitPeer peer = t.peer();
  // 200 bytes without CR: a full packet padded with noise in front.
  std::string packet = KermitPeer::Build('D', 1, std::string(90, 'x'), 1);
  packet.pop_back();  // no CR
  std::string line = std::string(200 - packet.size(), 'n') + packet;
  ASSERT_EQ(line.size(), 200u);
  peer.SendRaw(line);
  EXPECT_EQ(t.link->ReceivePacket(), 'D');
  EXPECT_EQ(t.link->m_rxLen, 90);
  // 500 bytes of noise: several bad lines, never a read past the buffer.
  peer.SendRaw(std::string(500, '\x01') + "\r");
  EXPECT_EQ(t.link->ReceivePacket(), 'Q');
  EXPECT_EQ(t.link->ReceivePacket(), 'Q');
  EXPECT_EQ(t.link->ReceivePacket(), 'Q');
}

}  // namespace
}  // namespace dravik::testing
