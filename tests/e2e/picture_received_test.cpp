// A graphics object fetched over Kermit from the simulated calculator in
// binary mode, converted to a bitmap as the File menu command does.
#include <gtest/gtest.h>

#include <utility>

#include "recording_window.h"
#include "grob/picture_conversion.h"
#include "link/hp48_link.h"
#include "picture_samples.h"
#include "scratch_folder.h"
#include "simulated_hp48.h"

namespace dravik {
namespace {

TEST(PictureReceived, DemoPictureFetchedInBinaryModeConvertsToItsBitmap) {
  sim::Calculator calc = sim::Calculator::Demo();
  calc.RunCommandLine("-35 SF");
  sim::SimulatedHp48 hp48(std::move(calc));
  std::string error;
  ASSERT_TRUE(hp48.Start(&error)) << error;

  testing::ScratchFolder folder;
  testing::RecordingWindow window;
  Session session;
  session.PortDevices[0] = hp48.device();
  session.Settings.PortNumber = 1;
  session.MainWindow = &window;
  session.CurrentPCFolder = folder.path();
  CHP48Link link(session);
  link.m_timeout = 5;
  ASSERT_NE(link.Open(), 0);
  ASSERT_EQ(link.ReceiveFiles({"PIC"}), 1);
  link.CloseAll();
  hp48.Stop();
  ASSERT_TRUE(window.messages().empty()) << window.messages()[0].text;

  const std::vector<uint8_t> grob = testing::ReadBytes(folder / "PIC");
  ASSERT_GE(grob.size(), 18u);
  EXPECT_EQ(std::string(grob.begin(), grob.begin() + 7), "HPHP48-");

  const PictureConversionResult result = GrobFileToBmp(folder / "PIC", folder.path(), &window);
  ASSERT_TRUE(result.ok) << result.message;
  EXPECT_EQ(result.output_path, folder / "PIC.bmp");
  const testing::Picture picture = testing::ReadBmpPicture(testing::ReadBytes(folder / "PIC.bmp"));
  ASSERT_EQ(picture.width, 131u);
  ASSERT_EQ(picture.height, 64u);
  // The demo picture: a frame with a diagonal from the top left, two
  // columns right for each row down.
  for (uint32_t y = 0; y < 64; ++y)
    for (uint32_t x = 0; x < 131; ++x) {
      const bool expected = y == 0 || y == 63 || x == 0 || x == 130 || x == 2 * y;
      ASSERT_EQ(picture.at(x, y), expected) << x << "," << y;
    }
}

}  // namespace
}  // namespace dravik
