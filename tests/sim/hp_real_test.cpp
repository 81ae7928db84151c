#include "hp_real.h"

#include <gtest/gtest.h>

namespace dravik::sim {
namespace {

std::string Shown(const char* typed) {
  HpReal r;
  if (!ParseReal(typed, &r)) return "not a number";
  return FormatReal(r);
}

TEST(HpReal, TypedNumbersShowAsTheStandardDisplayDoes) {
  EXPECT_EQ(Shown("1.5"), "1.5");
  EXPECT_EQ(Shown("-2"), "-2");
  EXPECT_EQ(Shown("0.5"), ".5");
  EXPECT_EQ(Shown("-.25"), "-.25");
  EXPECT_EQ(Shown("1E100"), "1.E100");
  EXPECT_EQ(Shown("1.23456789012E-50"), "1.23456789012E-50");
  EXPECT_EQ(Shown("12345678901"), "12345678901");
  EXPECT_EQ(Shown("123456789012"), "123456789012");
  EXPECT_EQ(Shown("1234567890123"), "1.23456789012E12");
  EXPECT_EQ(Shown("2.99999999999999"), "3");
  EXPECT_EQ(Shown("0"), "0");
  EXPECT_EQ(Shown("-0"), "0");
  EXPECT_EQ(Shown("1E600"), "9.99999999999E499");
  EXPECT_EQ(Shown("1E-600"), "0");
}

TEST(HpReal, WordsThatAreNotNumbers) {
  for (const char* w : {"", "-", ".", "E5", "1E", "1.2.3", "1E5.5", "12a", "--1", "1,5"}) {
    HpReal r;
    EXPECT_FALSE(ParseReal(w, &r)) << w;
  }
  HpReal r;
  ASSERT_TRUE(ParseReal("1,5", &r, true));
  EXPECT_EQ(FormatReal(r, true), "1,5");
}

TEST(HpReal, IntegersAndArithmeticRoundTrip) {
  long long v = 0;
  HpReal r;
  ASSERT_TRUE(ParseReal("9600", &r));
  EXPECT_TRUE(RealToInt(r, &v));
  EXPECT_EQ(v, 9600);
  ASSERT_TRUE(ParseReal("2.5", &r));
  EXPECT_FALSE(RealToInt(r, &v));
  EXPECT_EQ(FormatReal(RealFromDouble(0.1L + 0.2L)), ".3");
  EXPECT_EQ(FormatReal(RealFromDouble(1.0L / 3)), ".333333333333");
  EXPECT_EQ(FormatReal(RealFromInt(-35)), "-35");
}

}  // namespace
}  // namespace dravik::sim
