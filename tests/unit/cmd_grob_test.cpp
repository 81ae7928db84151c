// dravik-cli bmp2grob / grob2bmp, run as the program itself.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "grob/bmp_to_grob.h"
#include "picture_samples.h"
#include "scratch_folder.h"

namespace dravik {
namespace {

using testing::ReadBytes;
using testing::ScratchFolder;
using testing::WriteBytes;

struct CliRun {
  int status;
  std::string output;  // stdout and stderr
};

CliRun RunCli(const std::string& folder, const std::string& arguments) {
  const char* bin = std::getenv("DRAVIK_BINARY_DIR");
  const std::string command = "cd '" + folder + "' && '" + (bin ? bin : ".") + "/dravik-cli' " +
                              arguments + " 2>&1";
  CliRun run{-1, {}};
  FILE* pipe = ::popen(command.c_str(), "r");
  if (!pipe) return run;
  char buffer[256];
  while (size_t n = std::fread(buffer, 1, sizeof buffer, pipe)) run.output.append(buffer, n);
  const int status = ::pclose(pipe);
  run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return run;
}

TEST(CliPictureCommands, WriteNextToTheInputAndReportRefusals) {
  ScratchFolder folder;
  ::mkdir((folder / "pics").c_str(), 0755);
  const std::vector<uint8_t> bmp = testing::MakeBmp(testing::PatternPicture(131, 64));
  WriteBytes(folder / "pics/SUN.BMP", bmp);

  const CliRun to_grob = RunCli(folder.path(), "bmp2grob pics/SUN.BMP");
  EXPECT_EQ(to_grob.status, 0) << to_grob.output;
  EXPECT_EQ(to_grob.output, "pics/SUN.grb\n");
  EXPECT_EQ(ReadBytes(folder / "pics/SUN.grb"), BmpToGrob(bmp).bytes);

  // A second run keeps what is there unless told to replace it.
  const CliRun again = RunCli(folder.path(), "bmp2grob pics/SUN.BMP");
  EXPECT_EQ(again.status, 1);
  EXPECT_EQ(again.output,
            "\rERROR: The file pics/SUN.grb already exists\ndravik-cli: --replace replaces it\n");
  EXPECT_EQ(RunCli(folder.path(), "bmp2grob --replace pics/SUN.BMP").status, 0);
  // For an HP49-family calculator: the same GROB with the HP49's header.
  EXPECT_EQ(RunCli(folder.path(), "bmp2grob --hp49 --replace pics/SUN.BMP").status, 0);
  EXPECT_EQ(ReadBytes(folder / "pics/SUN.grb"), BmpToGrob(bmp, CalculatorFamily::Hp49).bytes);

  const CliRun to_bmp = RunCli(folder.path() + "pics", "grob2bmp SUN.grb");
  EXPECT_EQ(to_bmp.status, 0) << to_bmp.output;
  EXPECT_EQ(to_bmp.output, "./SUN.grb.bmp\n");
  EXPECT_EQ(ReadBytes(folder / "pics/SUN.grb.bmp"), bmp);

  const CliRun refused = RunCli(folder.path(), "grob2bmp pics/SUN.BMP");
  EXPECT_EQ(refused.status, 1);
  EXPECT_EQ(refused.output, "\rERROR: No valid GROB file\n");  // \r ends a progress line
  EXPECT_EQ(RunCli(folder.path(), "bmp2grob").status, 2);
}

// A grey picture (PGM, which Qt reads as it reads PNG).
std::vector<uint8_t> GreyRamp(uint32_t w, uint32_t h) {
  const std::string head = "P5\n" + std::to_string(w) + " " + std::to_string(h) + "\n255\n";
  std::vector<uint8_t> out(head.begin(), head.end());
  for (uint32_t y = 0; y < h; ++y)
    for (uint32_t x = 0; x < w; ++x) out.push_back(static_cast<uint8_t>(255 * x / (w - 1)));
  return out;
}

// A grey picture made black and white both ways comes back the same
// through a PNG; a picture too large for a calculator is refused unless fitted.
TEST(CliPictureCommands, PngRoundTripsOfADitheredAndAThresholdedPicture) {
  ScratchFolder folder;
  WriteBytes(folder / "RAMP.pgm", GreyRamp(120, 40));
  for (const std::string how : {"--dither", "--threshold 100"}) {
    SCOPED_TRACE(how);
    const CliRun to_grob = RunCli(folder.path(), "png2grob --replace " + how + " RAMP.pgm");
    ASSERT_EQ(to_grob.status, 0) << to_grob.output;
    const std::vector<uint8_t> grob = ReadBytes(folder / "RAMP.grb");
    ASSERT_EQ(RunCli(folder.path(), "png2grob --hp49 --replace " + how + " RAMP.pgm").status, 0);
    std::vector<uint8_t> grob49 = ReadBytes(folder / "RAMP.grb");
    EXPECT_EQ(std::string(grob49.begin(), grob49.begin() + 8), "HPHP49-B");
    std::copy_n(grob.begin(), 8, grob49.begin());
    EXPECT_EQ(grob49, grob);
    ASSERT_EQ(RunCli(folder.path(), "grob2png --replace RAMP.grb").status, 0);
    ASSERT_EQ(RunCli(folder.path(), "png2grob RAMP.grb.png").status, 0);
    EXPECT_EQ(ReadBytes(folder / "RAMP.grb.grb"), grob);
    ::unlink((folder / "RAMP.grb.grb").c_str());
  }
  WriteBytes(folder / "BIG.pgm", GreyRamp(1100, 1000));
  const CliRun big = RunCli(folder.path(), "png2grob BIG.pgm");
  EXPECT_EQ(big.status, 1);
  EXPECT_EQ(big.output,
            "dravik-cli: BIG.pgm: The picture is too large for a calculator (1100 x 1000; --fit "
            "shrinks it to the screen)\n");
  EXPECT_EQ(RunCli(folder.path(), "png2grob --fit BIG.pgm").status, 0);
  EXPECT_EQ(RunCli(folder.path(), "png2grob RAMP.grb").output,
            "dravik-cli: RAMP.grb: Not a picture that can be read (Unsupported image format)\n");
}

}  // namespace
}  // namespace dravik
