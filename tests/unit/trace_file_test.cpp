#include "link/trace_file.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "scratch_folder.h"

namespace dravik {
namespace {

// The trace's lines without their time of day (12 characters and a blank).
std::vector<std::string> LinesWithoutTime(const std::string& path) {
  std::ifstream in(path);
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);)
    lines.push_back(line.rfind("# ", 0) == 0 ? line.substr(0, 22) : line.substr(13));
  return lines;
}

std::string Block(uint8_t number, char fill, uint8_t check) {
  std::string frame = {1, static_cast<char>(number), static_cast<char>(255 - number)};
  frame += std::string(128, fill);
  return frame + static_cast<char>(check);
}

TEST(TraceFile, KermitPacketsXModemBlocksAndSilenceReadable) {
  testing::ScratchFolder folder;
  {
    TraceFile trace(folder / "trace.txt");
    ASSERT_TRUE(trace.ok());
    trace.KermitPacket(TraceDirection::Sent, 'I', 0, "~* @-#Y1~* ");
    trace.KermitBadLine("\x01# Y\x7f");
    trace.KermitSilence(5000);
    trace.XModemSent("\x15");
    for (char c : Block(1, 'A', 0x80) + "\x04") trace.XModemReceived(static_cast<uint8_t>(c));
    trace.XModemSent(Block(2, '\0', 0x01));  // the check does not fit the data
    trace.XModemSilence(2000);
  }
  TraceFile again(folder / "trace.txt");  // a second run appends
  EXPECT_EQ(LinesWithoutTime(folder / "trace.txt"),
            (std::vector<std::string>{
                "# Dravik trace started",
                "kermit > I seq 0 \"~* @-#Y1~* \"",
                "kermit < not a valid packet: \"\\x01# Y\\x7f\"",
                "kermit < nothing within 5000 ms",
                "xmodem > NAK",
                "xmodem < block 1 \"AAAAAAAAAAAAAAAA...\" checksum 0x80 EOT",
                "xmodem > block 2 \"\\x00\\x00\\x00\\x00\\x00\\x00\\x00\\x00\\x00\\x00\\x00\\x00"
                "\\x00\\x00\\x00\\x00...\" checksum 0x01 (data sums to 0x00)",
                "xmodem < nothing within 2000 ms",
                "# Dravik trace started",
            }));
  EXPECT_FALSE(TraceFile(folder / "no/such/folder/trace.txt").ok());
}

}  // namespace
}  // namespace dravik
