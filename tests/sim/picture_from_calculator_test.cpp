// Graphics objects as the simulated calculator sends them in binary mode,
// converted to bitmaps.
#include <gtest/gtest.h>

#include <vector>

#include "calculator.h"
#include "grob/bmp_to_grob.h"
#include "grob/grob_to_bmp.h"
#include "picture_samples.h"

namespace dravik {
namespace {

using testing::Picture;

std::vector<uint8_t> RecallBinary(sim::Calculator& calc, const std::string& name) {
  calc.RunCommandLine("-35 SF");
  EXPECT_TRUE(calc.BinaryTransfers());
  const sim::RecallResult recalled = calc.RecallForTransfer(name);
  EXPECT_TRUE(recalled.ok) << recalled.error;
  return recalled.file;
}

TEST(PictureFromCalculator, GrobTypedOnTheCalculatorConvertsToItsPicture) {
  sim::Calculator calc;
  // 9 x 2, four nibbles a row; in each nibble bit 0 is the leftmost pixel.
  // Row 0: pixels 0 to 4 and 8 dark. Row 1: pixel 5 dark.
  calc.RunCommandLine("GROB 9 2 F1100200 'G' STO");
  ASSERT_EQ(calc.TypeOf("HOME\\", "G"), "Graphic");
  const std::vector<uint8_t> file = RecallBinary(calc, "G");
  ASSERT_GE(file.size(), 8u);
  EXPECT_EQ(std::string(file.begin(), file.begin() + 7), "HPHP48-");

  const PictureBytes bmp = GrobToBmp(file);
  ASSERT_TRUE(bmp.ok()) << bmp.message;
  Picture expected{9, 2, std::vector<bool>(18)};
  for (int x : {0, 1, 2, 3, 4, 8}) expected.dark[x] = true;
  expected.dark[9 + 5] = true;
  EXPECT_EQ(testing::ReadBmpPicture(bmp.bytes), expected);

  // And back: the same object apart from the header letter.
  PictureBytes grob = BmpToGrob(bmp.bytes);
  ASSERT_TRUE(grob.ok());
  grob.bytes[7] = file[7];
  EXPECT_EQ(grob.bytes, file);
}

TEST(PictureFromCalculator, DemoScreenPictureConvertsPixelForPixel) {
  sim::Calculator calc = sim::Calculator::Demo();
  const std::vector<uint8_t> file = RecallBinary(calc, "PIC");
  const PictureBytes bmp = GrobToBmp(file);
  ASSERT_TRUE(bmp.ok()) << bmp.message;
  EXPECT_EQ(bmp.bytes.size(), 62u + 1280u);
  const Picture picture = testing::ReadBmpPicture(bmp.bytes);
  EXPECT_EQ(picture, testing::ReadGrobPicture(file));
  // A frame with a diagonal.
  ASSERT_EQ(picture.width, 131u);
  ASSERT_EQ(picture.height, 64u);
  EXPECT_TRUE(picture.at(0, 0) && picture.at(130, 0) && picture.at(0, 63) && picture.at(130, 63));
  EXPECT_TRUE(picture.at(62, 31));
  EXPECT_FALSE(picture.at(63, 31));
  EXPECT_FALSE(picture.at(1, 62));
}

}  // namespace
}  // namespace dravik
