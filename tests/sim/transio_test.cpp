#include "transio.h"

#include <gtest/gtest.h>

namespace dravik::sim {
namespace {

const std::string kEight = "\x80\x8d\x8f\xab\xbb\xd7\xe5\xff#";

TEST(Transio, OutgoingTextUnderEachMode) {
  EXPECT_EQ(TranslateOut(kEight, 0), kEight);
  EXPECT_EQ(TranslateOut(kEight, 1), kEight);
  EXPECT_EQ(TranslateOut(kEight, 2), "\\<)\\->\\|v\xab\xbb\xd7\xe5\xff#");
  EXPECT_EQ(TranslateOut(kEight, 3), "\\<)\\->\\|v\\<<\\>>\\.x\\229\\255#");
  EXPECT_EQ(TranslateOut("a\nb\r\nc", 0), "a\nb\r\nc");
  EXPECT_EQ(TranslateOut("a\nb\r\nc", 1), "a\r\nb\r\nc");
}

TEST(Transio, IncomingSpellingsBecomeCharacters) {
  EXPECT_EQ(TranslateIn("\\<)\\->\\|v\\<<\\>>\\.x\\229\\255#", 3), kEight);
  EXPECT_EQ(TranslateIn("\\<< 1 \\>>", 2), "\\<< 1 \\>>");
  EXPECT_EQ(TranslateIn("\\->\\065", 2), "\x8d" "A");
  EXPECT_EQ(TranslateIn("\\<< 1 \\>>", 1), "\\<< 1 \\>>");
  EXPECT_EQ(TranslateIn("a\r\nb", 1), "a\nb");
  EXPECT_EQ(TranslateIn("a\r\nb", 0), "a\r\nb");
  // Unknown spellings and a trailing backslash stay as they are.
  EXPECT_EQ(TranslateIn("\\qq \\999 \\", 3), "\\qq \\999 \\");
}

}  // namespace
}  // namespace dravik::sim
