#include "grob/grob_layout.h"

#include <gtest/gtest.h>

namespace dravik {
namespace {

TEST(FlipPixelByte, ReversesTheBitsAndInvertsThem) {
  EXPECT_EQ(FlipPixelByte(0x00), 0xFF);
  EXPECT_EQ(FlipPixelByte(0x80), 0xFE);  // leftmost BMP pixel light -> leftmost GROB pixel light
  EXPECT_EQ(FlipPixelByte(0x7F), 0x01);  // leftmost BMP pixel black -> GROB bit 0 dark
  EXPECT_EQ(FlipPixelByte(0x12), 0xB7);  // 0001 0010 -> 0100 1000 -> 1011 0111
  EXPECT_EQ(FlipPixelByte(0xF0), 0xF0);
  // The same transform goes back.
  for (int b = 0; b < 256; ++b) EXPECT_EQ(FlipPixelByte(FlipPixelByte(uint8_t(b))), b);
}

TEST(LastByteMasks, KeepThePixelsInsideTheWidth) {
  EXPECT_EQ(GrobLastByteMask(1), 0x01);
  EXPECT_EQ(BmpLastByteMask(1), 0x80);
  EXPECT_EQ(GrobLastByteMask(131), 0x07);
  EXPECT_EQ(BmpLastByteMask(131), 0xE0);
  EXPECT_EQ(GrobLastByteMask(64), 0xFF);
  EXPECT_EQ(BmpLastByteMask(64), 0xFF);
}

TEST(PictureSizes, OfTheCalculatorScreen) {
  EXPECT_EQ(GrobRowBytes(131), 17u);
  EXPECT_EQ(GrobLength(131, 64), 0x88Fu);
  EXPECT_EQ(BmpRowStride(131), 20u);
  EXPECT_EQ(BmpRowStride(1), 4u);
  EXPECT_EQ(BmpRowStride(32), 4u);
  EXPECT_EQ(BmpRowStride(33), 8u);
}

}  // namespace
}  // namespace dravik
