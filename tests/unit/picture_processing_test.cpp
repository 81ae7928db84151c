#include "grob/picture_processing.h"

#include <gtest/gtest.h>

#include <numeric>
#include <string>

namespace dravik {
namespace {

GrayPicture Uniform(uint32_t w, uint32_t h, uint8_t level) {
  return GrayPicture{w, h, std::vector<uint8_t>(size_t{w} * h, level)};
}

size_t DarkCount(const MonoPicture& p) { return std::accumulate(p.dark.begin(), p.dark.end(), size_t{0}); }

TEST(PictureProcessing, ThresholdAndDitherKeepTheGreyLevels) {
  EXPECT_EQ(Threshold(GrayPicture{4, 1, {0, 127, 128, 255}}).dark, (std::vector<uint8_t>{1, 1, 0, 0}));
  EXPECT_EQ(Threshold(GrayPicture{2, 1, {99, 100}}, 100).dark, (std::vector<uint8_t>{1, 0}));
  // Dithering keeps the mean: a quarter grey becomes a quarter white.
  for (const auto& [level, dark_share] : {std::pair{0, 1.0}, {255, 0.0}, {128, 0.5}, {64, 0.75}}) {
    const MonoPicture p = Dither(Uniform(64, 64, static_cast<uint8_t>(level)));
    EXPECT_NEAR(DarkCount(p) / 4096.0, dark_share, 0.02) << level;
  }
}

TEST(PictureProcessing, FitShrinksToTheScreenKeepingProportions) {
  GrayPicture twice = Uniform(262, 128, 255);
  twice.level[0] = twice.level[1] = twice.level[262] = 0;  // one 2 x 2 block three quarters dark
  const GrayPicture fitted = FitWithin(twice);
  EXPECT_EQ(fitted.width, 131u);
  EXPECT_EQ(fitted.height, 64u);
  EXPECT_EQ(fitted.level[0], 63);
  EXPECT_EQ(fitted.level[1], 255);
  const GrayPicture wide = FitWithin(Uniform(300, 64, 9));
  EXPECT_EQ(wide.width, 131u);
  EXPECT_EQ(wide.height, 28u);
  EXPECT_EQ(FitWithin(Uniform(100, 50, 9)).level.size(), 5000u);  // fits already
}

TEST(PictureProcessing, GrobFilesOfPicturesThatFitACalculator) {
  MonoPicture p = Threshold(Uniform(131, 64, 0));
  p.dark[5] = 0;
  const PictureBytes grob = MonoToGrobFile(p);
  ASSERT_TRUE(grob.ok());
  MonoPicture back;
  std::string_view message;
  ASSERT_TRUE(GrobFileToMono(grob.bytes, &back, &message));
  EXPECT_EQ(back, p);
  const std::string text = "GROB 9 1 1000";  // pixel 0 of 9
  ASSERT_TRUE(GrobFileToMono(std::vector<uint8_t>(text.begin(), text.end()), &back, &message));
  EXPECT_EQ(back, (MonoPicture{9, 1, {1, 0, 0, 0, 0, 0, 0, 0, 0}}));

  EXPECT_TRUE(FitsInCalculator(131, 64));
  EXPECT_TRUE(FitsInCalculator(1000, 1000));   // 125,000 bytes of rows
  EXPECT_FALSE(FitsInCalculator(1100, 1000));  // 138,000
  EXPECT_EQ(MonoToGrobFile(Threshold(Uniform(1100, 1000, 0))).message,
            "The picture is too large for a calculator");
}

}  // namespace
}  // namespace dravik
