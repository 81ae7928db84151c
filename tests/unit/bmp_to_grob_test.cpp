#include "grob/bmp_to_grob.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "grob/grob_to_bmp.h"
#include "picture_samples.h"

namespace dravik {
namespace {

using testing::BmpOptions;
using testing::MakeBmp;
using testing::PatternPicture;
using testing::Picture;
using testing::ReadGrobPicture;

PictureBytes Convert(const std::vector<uint8_t>& bmp) { return BmpToGrob(bmp); }

// The family the GROB file is made for, and the header text it gets.
class GrobForFamily : public ::testing::TestWithParam<std::pair<CalculatorFamily, std::string>> {};

INSTANTIATE_TEST_SUITE_P(BmpToGrob, GrobForFamily,
                         ::testing::Values(std::pair{CalculatorFamily::Hp48, std::string("HPHP48-E")},
                                           std::pair{CalculatorFamily::Hp49, std::string("HPHP49-B")}));

TEST_P(GrobForFamily, CalculatorScreenGivesTheDescribedHeaderAndRows) {
  const auto& [family, text] = GetParam();
  const Picture picture = PatternPicture(131, 64);
  const std::vector<uint8_t> bmp = MakeBmp(picture);
  const PictureBytes grob = BmpToGrob(bmp, family);
  ASSERT_TRUE(grob.ok()) << grob.message;
  ASSERT_EQ(grob.bytes.size(), 18u + 1088u);
  const std::vector<uint8_t> header(grob.bytes.begin(), grob.bytes.begin() + 18);
  // L = 0x88F, H = 0x40, W = 0x83.
  std::vector<uint8_t> expected(text.begin(), text.end());
  expected.insert(expected.end(), {0x1E, 0x2B, 0xF0, 0x88, 0x00, 0x40, 0x00, 0x30, 0x08, 0x00});
  EXPECT_EQ(header, expected);
  EXPECT_EQ(ReadGrobPicture(grob.bytes), picture);
  EXPECT_TRUE(testing::GrobPaddingIsClear(grob.bytes));
  // Read back whatever its family.
  EXPECT_EQ(GrobToBmp(grob.bytes).bytes, bmp);
}

TEST(BmpToGrob, WidthsThatFillOrBarelyStartTheLastByte) {
  for (uint32_t width : {64u, 1u, 8u, 9u, 33u}) {
    SCOPED_TRACE(width);
    const Picture picture = PatternPicture(width, 5);
    const PictureBytes grob = Convert(MakeBmp(picture));
    ASSERT_TRUE(grob.ok());
    EXPECT_EQ(grob.bytes.size(), 18u + 5 * ((width + 7) / 8));
    EXPECT_EQ(ReadGrobPicture(grob.bytes), picture);
    // The bitmap's padding bits are 0 (black); they must not become dark pixels.
    EXPECT_TRUE(testing::GrobPaddingIsClear(grob.bytes));
  }
}

TEST(BmpToGrob, ReadsOtherLayoutsOfTheSamePicture) {
  const Picture picture = PatternPicture(45, 7);
  const std::vector<uint8_t> plain = Convert(MakeBmp(picture)).bytes;
  ASSERT_FALSE(plain.empty());
  BmpOptions top_down;
  top_down.top_down = true;
  BmpOptions v5_header;
  v5_header.header_size = 124;
  BmpOptions offset_data;
  offset_data.gap = 37;
  BmpOptions no_colour_count;
  no_colour_count.colours_used = 0;
  BmpOptions one_colour;
  one_colour.colours_used = 1;
  BmpOptions padded_image_size;  // some writers count two bytes more
  padded_image_size.image_size = 8 * 7 + 2;
  BmpOptions no_image_size;  // allowed for uncompressed bitmaps
  no_image_size.image_size = 0;
  int n = 0;
  for (const BmpOptions& o :
       {top_down, v5_header, offset_data, no_colour_count, one_colour, no_image_size}) {
    SCOPED_TRACE(n++);
    const PictureBytes grob = Convert(MakeBmp(picture, o));
    ASSERT_TRUE(grob.ok()) << grob.message;
    EXPECT_EQ(grob.bytes, plain);
  }
  std::vector<uint8_t> longer = MakeBmp(picture, padded_image_size);
  longer.push_back(0);
  longer.push_back(0);
  EXPECT_EQ(Convert(longer).bytes, plain);
}

TEST(BmpToGrob, ThePaletteSaysWhichPixelsAreDark) {
  const Picture picture = PatternPicture(20, 6);
  Picture inverted = picture;
  inverted.dark.flip();
  // Palette [white, black] with the indices swapped shows the same picture.
  BmpOptions white_first;
  white_first.white_first = true;
  const PictureBytes grob = Convert(MakeBmp(inverted, white_first));
  ASSERT_TRUE(grob.ok());
  EXPECT_EQ(grob.bytes, Convert(MakeBmp(picture)).bytes);
  EXPECT_TRUE(testing::GrobPaddingIsClear(grob.bytes));
}

TEST(BmpToGrob, MoreThanTwoColoursAreRefused) {
  const Picture picture = PatternPicture(8, 2);
  for (uint16_t bits : {4, 8, 24}) {
    BmpOptions o;
    o.bits_per_pixel = bits;
    o.colours_used = bits == 24 ? 0 : 2;
    EXPECT_EQ(Convert(MakeBmp(picture, o)).message, "Bitmap contains more than 2 colors") << bits;
  }
  BmpOptions three;
  three.colours_used = 3;
  EXPECT_EQ(Convert(MakeBmp(picture, three)).message, "Bitmap contains more than 2 colors");
}

TEST(BmpToGrob, MalformedBitmapsAreRefused) {
  const Picture picture = PatternPicture(17, 3);
  const std::vector<uint8_t> good = MakeBmp(picture);
  auto with = [&](size_t at, uint32_t value) {
    std::vector<uint8_t> b = good;
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<uint8_t>(value >> (8 * i));
    return b;
  };
  const std::vector<std::pair<const char*, std::vector<uint8_t>>> cases = {
      {"empty", {}},
      {"one byte", {'B'}},
      {"not BM", with(0, 0x00004D41)},
      {"image size too small for the rows", with(34, 8)},
      {"image size beyond the file", with(34, 12 + 62)},
      {"height 0", with(22, 0)},
      {"width 0", with(18, 0)},
      {"negative width", with(18, 0xFFFFFFF0)},
      {"compressed", with(30, 1)},
      {"zero bits per pixel", with(28, 0x00010000)},
      {"short information header", with(14, 12)},
      {"information header beyond the file", with(14, 4000)},
      {"pixel data inside the palette", with(10, 58)},
      {"pixel data beyond the file", with(10, 90)},
  };
  for (const auto& [what, bytes] : cases) {
    EXPECT_EQ(Convert(bytes).message, "No valid BMP-file") << what;
  }
  // 3000 x 3000: L = 15 + 2250000 nibbles does not fit; nor a width of 2^20.
  const std::vector<uint8_t> huge = MakeBmp(Picture{3000, 3000, std::vector<bool>(3000 * 3000)});
  EXPECT_EQ(Convert(huge).message, "The picture is too large for a GROB");
  EXPECT_EQ(Convert(with(18, 1u << 20)).message, "The picture is too large for a GROB");
  EXPECT_EQ(Convert(with(22, 0x80000000)).message, "The picture is too large for a GROB");
}

TEST(BmpToGrob, EveryTruncationIsRefused) {
  const std::vector<uint8_t> good = MakeBmp(PatternPicture(40, 9));
  for (size_t size = 0; size < good.size(); ++size) {
    const std::vector<uint8_t> cut(good.begin(), good.begin() + size);
    ASSERT_FALSE(Convert(cut).ok()) << size;
  }
}

}  // namespace
}  // namespace dravik
