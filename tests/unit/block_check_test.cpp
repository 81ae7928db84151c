#include "link/block_check.h"

#include <gtest/gtest.h>

#include <string>

namespace dravik {
namespace {

std::string Check(int type, const std::string& s, bool strip = false) {
  return BlockCheck(type, reinterpret_cast<const uint8_t*>(s.data()), s.size(), strip);
}

TEST(BlockCheck, EmptyNakWithSequenceZeroHasCheckCharacterThree) {
  // LEN = tochar(3), SEQ = tochar(0), TYPE = N: sum 145, folded 19.
  EXPECT_EQ(Check(1, "# N"), "3");
}

TEST(BlockCheck, Crc16KermitOfTheStandardCheckString) {
  const std::string text = "123456789";
  EXPECT_EQ(Crc16Kermit(reinterpret_cast<const uint8_t*>(text.data()), text.size()), 0x2189u);
  // Sent as tochar(2), tochar(6), tochar(9).
  EXPECT_EQ(Check(3, text), std::string({char(32 + 2), char(32 + 6), char(32 + 9)}));
}

TEST(BlockCheck, TypeTwoCarriesTwelveBitsInTwoCharacters) {
  // Sum of "# N" is 145 = 2 * 64 + 17.
  EXPECT_EQ(Check(2, "# N"), std::string({char(32 + 2), char(32 + 17)}));
}

TEST(BlockCheck, ParityStripMasksTheTopBitOfEveryByte) {
  EXPECT_EQ(Check(1, "\xC1", true), Check(1, "\x41"));
  EXPECT_EQ(Check(3, "\xC1\xC2", true), Check(3, "AB"));
  EXPECT_NE(Check(1, "\xC1", false), Check(1, "\x41"));
}

TEST(BlockCheck, UnknownTypeGivesNoCharacters) {
  EXPECT_EQ(Check(0, "abc"), "");
  EXPECT_EQ(Check(4, "abc"), "");
}

}  // namespace
}  // namespace dravik
