#include <gtest/gtest.h>

#include "link/hp48_link.h"

namespace dravik {
namespace {

TEST(KermitParams, OurOfferFollowsTheAgreedCheck) {
  Session session;
  CHP48Link link(session);
  EXPECT_EQ(link.MakeInitParams(), "~' @-#Y1");
  link.m_agreedCheck = 3;
  EXPECT_EQ(link.MakeInitParams(), "~' @-#Y3");
  EXPECT_EQ(session.Settings.ChecksumType, 3);
  EXPECT_EQ(link.DataBuffer(), "~' @-#Y3");
}

TEST(KermitParams, CKermitsAnswerTurnsNoRepeatCountsOn) {
  Session session;
  CHP48Link link(session);
  link.TakeInitParams("~/ @-#Y1~^>J)0___G\"U1@");
  EXPECT_EQ(link.m_sendMax, 94);
  EXPECT_EQ(link.m_peerTime, 15);
  EXPECT_EQ(link.m_timeout, 15);
  EXPECT_EQ(link.m_padCount, 0);
  EXPECT_EQ(link.m_padChar, 0);
  EXPECT_EQ(link.m_eol, 13);
  EXPECT_EQ(link.m_peerQctl, '#');
  EXPECT_EQ(link.m_qbinMode, 1);
  EXPECT_EQ(link.m_qbinOn, 0);
  EXPECT_EQ(link.m_agreedCheck, 1);
  // The peer names '~' but we named none: no repeat counts.
  EXPECT_EQ(link.m_repeatOn, 0);
  // Only when we offer the same prefix.
  link.m_myRept = '~';
  EXPECT_EQ(link.MakeInitParams(), "~' @-#Y1~");
  link.TakeInitParams("~/ @-#Y1~");
  EXPECT_EQ(link.m_repeatOn, 1);
  link.TakeInitParams("~/ @-#Y1%");
  EXPECT_EQ(link.m_repeatOn, 0);
}

TEST(KermitParams, TheCalculatorsAnswers) {
  Session session;
  CHP48Link link(session);
  link.TakeInitParams("~- @-# 3");
  EXPECT_EQ(link.m_peerTime, 13);
  EXPECT_EQ(link.m_qbinMode, 0);
  EXPECT_EQ(link.m_qbinOn, 0);
  EXPECT_EQ(link.m_agreedCheck, 3);
  link.TakeInitParams("~* @-#&2");
  EXPECT_EQ(link.m_qbinMode, 2);
  EXPECT_EQ(link.m_qbinOn, 1);
  EXPECT_EQ(link.m_qbin, '&');
  EXPECT_EQ(link.m_agreedCheck, 2);
  // Our offer is a different prefix: no 8th-bit prefixing.
  link.m_myQbin = '%';
  link.TakeInitParams("~* @-#&2");
  EXPECT_EQ(link.m_qbinOn, 0);
}

TEST(KermitParams, MissingAndOutOfRangeFieldsTakeDefaults) {
  Session session;
  CHP48Link link(session);
  link.m_qbinOn = 1;
  link.m_repeatOn = 1;
  link.m_agreedCheck = 3;
  link.TakeInitParams("~* @");
  EXPECT_EQ(link.m_eol, 13);
  EXPECT_EQ(link.m_peerQctl, '#');
  EXPECT_EQ(link.m_qbinOn, 0);
  EXPECT_EQ(link.m_agreedCheck, 1);
  EXPECT_EQ(link.m_repeatOn, 0);
  link.TakeInitParams("");
  EXPECT_EQ(link.m_sendMax, 80);
  EXPECT_EQ(link.m_timeout, 5);
  // MAXL below 10, TIME 0, EOL 0/1, a bad QCTL and CHKT.
  link.TakeInitParams(") ! \x21 Y9");
  EXPECT_EQ(link.m_sendMax, 80);
  EXPECT_EQ(link.m_timeout, 5);
  EXPECT_EQ(link.m_eol, 13);
  EXPECT_EQ(link.m_peerQctl, '#');
  EXPECT_EQ(link.m_agreedCheck, 1);
  link.TakeInitParams("~* @ #");
  EXPECT_EQ(link.m_eol, 13);
  // An 8-bit MAXL cannot make our packets longer than 94.
  link.TakeInitParams("\x7f* @-#Y1");
  EXPECT_EQ(link.m_sendMax, 94);
  // Pads and EOL of the peer's choosing.
  link.TakeInitParams("~*\"J*#Y1");
  EXPECT_EQ(link.m_padCount, 2);
  EXPECT_EQ(link.m_padChar, 10);
  EXPECT_EQ(link.m_eol, 10);
}

TEST(KermitParams, YUnderParityTurnsOnAmpersandPrefixing) {
  Session session;
  session.Settings.Parity = 2;
  CHP48Link link(session);
  EXPECT_EQ(link.m_stripParity, 1);
  link.TakeInitParams("~* @-#Y1");
  EXPECT_EQ(link.m_qbinMode, 1);
  EXPECT_EQ(link.m_qbinOn, 1);
  EXPECT_EQ(link.m_qbin, '&');
}

}  // namespace
}  // namespace dravik
