#include "grob/grob_to_bmp.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "grob/bmp_to_grob.h"
#include "picture_samples.h"

namespace dravik {
namespace {

using testing::LittleEndianAt;
using testing::MakeBmp;
using testing::MakeGrob;
using testing::PatternPicture;
using testing::Picture;
using testing::ReadBmpPicture;

PictureBytes Convert(const std::vector<uint8_t>& grob) { return GrobToBmp(grob); }

TEST(GrobToBmp, CalculatorScreenGivesTheDescribedHeaders) {
  const PictureBytes bmp = Convert(MakeGrob(PatternPicture(131, 64)));
  ASSERT_TRUE(bmp.ok()) << bmp.message;
  const std::vector<uint8_t>& b = bmp.bytes;
  ASSERT_EQ(b.size(), 62u + 1280u);
  EXPECT_EQ(b[0], 'B');
  EXPECT_EQ(b[1], 'M');
  const std::vector<std::pair<size_t, uint32_t>> fields4 = {
      {2, 62 + 1280}, {6, 0},     {10, 62},   {14, 40},   {18, 131},      {22, 64},
      {30, 0},        {34, 1280}, {38, 2834}, {42, 2834}, {46, 2},        {50, 2},
      {54, 0},        {58, 0x00FFFFFF}};
  for (const auto& [at, value] : fields4) EXPECT_EQ(LittleEndianAt(b, at, 4), value) << at;
  EXPECT_EQ(LittleEndianAt(b, 26, 2), 1u);
  EXPECT_EQ(LittleEndianAt(b, 28, 2), 1u);
}

TEST(GrobToBmp, CalculatorScreenRoundTripIsIdenticalInEveryPixel) {
  const Picture picture = PatternPicture(131, 64);
  const std::vector<uint8_t> original = MakeBmp(picture);
  const PictureBytes grob = BmpToGrob(original);
  ASSERT_TRUE(grob.ok());
  const PictureBytes back = Convert(grob.bytes);
  ASSERT_TRUE(back.ok());
  EXPECT_EQ(ReadBmpPicture(back.bytes), picture);
  // Same headers and the same padding as well: the file is byte for byte the same.
  EXPECT_EQ(back.bytes, original);
}

TEST(GrobToBmp, WidthsThatFillOrBarelyStartTheLastByte) {
  for (uint32_t width : {64u, 1u, 7u, 31u, 33u}) {
    SCOPED_TRACE(width);
    const Picture picture = PatternPicture(width, 4);
    std::vector<uint8_t> grob = MakeGrob(picture);
    // Set the unused bits of every row: they must not leak into the bitmap.
    const size_t r = (width + 7) / 8;
    if (width % 8)
      for (size_t y = 0; y < 4; ++y) grob[18 + y * r + r - 1] |= static_cast<uint8_t>(0xFF << (width % 8));
    const PictureBytes bmp = Convert(grob);
    ASSERT_TRUE(bmp.ok());
    EXPECT_EQ(bmp.bytes.size(), 62u + 4 * ((r + 3) / 4 * 4));
    EXPECT_EQ(ReadBmpPicture(bmp.bytes), picture);
    EXPECT_TRUE(testing::BmpPaddingIsClear(bmp.bytes));
  }
}

TEST(GrobToBmp, HeaderTextIsOptionalButThePrologIsNot) {
  const Picture picture = PatternPicture(12, 3);
  const PictureBytes any_text = Convert(MakeGrob(picture, "whatever"));
  ASSERT_TRUE(any_text.ok());
  EXPECT_EQ(ReadBmpPicture(any_text.bytes), picture);

  // A program (prolog 0x02D9D) and a string (0x02A2C) with the right header
  // text, and prologs that match in one byte only.
  const std::vector<uint8_t> good = MakeGrob(picture);
  auto prolog = [&](uint8_t b8, uint8_t b9, uint8_t b10_low) {
    std::vector<uint8_t> g = good;
    g[8] = b8;
    g[9] = b9;
    g[10] = static_cast<uint8_t>((g[10] & 0xF0) | b10_low);
    return g;
  };
  for (const auto& bad : {prolog(0x9D, 0x2D, 0), prolog(0x2C, 0x2A, 0), prolog(0x1E, 0x2A, 0),
                          prolog(0x2C, 0x2B, 0), prolog(0x1E, 0x2B, 1)})
    EXPECT_EQ(Convert(bad).message, "No valid GROB file");
}

TEST(GrobToBmp, SizeFieldsThatDisagreeWithTheFileAreRefused) {
  const Picture picture = PatternPicture(20, 5);  // R = 3, L = 15 + 30 = 45
  const std::vector<uint8_t> good = MakeGrob(picture);
  auto with_length = [&](uint32_t length) {
    std::vector<uint8_t> g = good;
    g[10] = static_cast<uint8_t>((length & 0xF) << 4);
    g[11] = static_cast<uint8_t>(length >> 4);
    g[12] = static_cast<uint8_t>(length >> 12);
    return g;
  };
  EXPECT_EQ(Convert(with_length(43)).message, "No valid GROB file");   // rows do not fit
  EXPECT_EQ(Convert(with_length(0)).message, "No valid GROB file");
  EXPECT_EQ(Convert(with_length(47)).message, "No valid GROB file");   // one byte more than the file
  EXPECT_EQ(Convert(with_length(0xFFFFF)).message, "No valid GROB file");
  std::vector<uint8_t> longer = with_length(47);
  longer.push_back(0);
  EXPECT_TRUE(Convert(longer).ok());  // a longer object whose bytes are there

  std::vector<uint8_t> zero_height = good;
  zero_height[13] = 0;
  EXPECT_EQ(Convert(zero_height).message, "No valid GROB file");
  std::vector<uint8_t> zero_width = good;
  zero_width[15] &= 0x0F;
  zero_width[16] = 0;
  EXPECT_EQ(Convert(zero_width).message, "No valid GROB file");
  std::vector<uint8_t> taller = good;  // height 6 while the length says 5 rows
  taller[13] = 6;
  EXPECT_EQ(Convert(taller).message, "No valid GROB file");

  for (size_t size = 0; size < good.size(); ++size) {
    const std::vector<uint8_t> cut(good.begin(), good.begin() + size);
    ASSERT_EQ(Convert(cut).message, "No valid GROB file") << size;
  }
}

}  // namespace
}  // namespace dravik
