// dravik-cli bmp2grob / grob2bmp, run as the program itself.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>

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

  const CliRun to_bmp = RunCli(folder.path() + "pics", "grob2bmp SUN.grb");
  EXPECT_EQ(to_bmp.status, 0) << to_bmp.output;
  EXPECT_EQ(to_bmp.output, "./SUN.grb.bmp\n");
  EXPECT_EQ(ReadBytes(folder / "pics/SUN.grb.bmp"), bmp);

  const CliRun refused = RunCli(folder.path(), "grob2bmp pics/SUN.BMP");
  EXPECT_EQ(refused.status, 1);
  EXPECT_EQ(refused.output, "\rERROR: No valid GROB file\n");  // \r ends a progress line
  EXPECT_EQ(RunCli(folder.path(), "bmp2grob").status, 2);
}

}  // namespace
}  // namespace dravik
