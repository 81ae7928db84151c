// dravik --trace FILE: the packets of a window session go to the file from
// the first connection check on; a file that cannot be written is refused
// before the window opens.
#include <csignal>
#include <fstream>
#include <sstream>
#include <thread>

#include <gtest/gtest.h>

#include "child_program.h"
#include "scratch_folder.h"

namespace dravik {
namespace {

std::string Dravik() { return DRAVIK_PROGRAM; }

std::string Contents(const std::string& path) {
  std::ifstream in(path);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

TEST(TraceOption, WritesTheWindowSessionsPacketsAndRefusesAnUnwritableFile) {
  testing::ScratchFolder folder;
  const std::string trace = folder / "trace.txt";
  {
    testing::ChildProgram dravik({Dravik(), "--simulate", "--trace", trace}, folder.path());
    ASSERT_TRUE(dravik.started());
    // The connection check is the first exchange: its command and the
    // calculator's answer.
    bool answered = false;
    for (int i = 0; i < 300 && !answered; ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
      answered = Contents(trace).find(" kermit < ") != std::string::npos;
    }
    dravik.Signal(SIGTERM, 5000);
    const std::string text = Contents(trace);
    EXPECT_TRUE(answered) << text;
    EXPECT_NE(text.find(" kermit > C seq 0 \"-35 FS?"), std::string::npos) << text;
  }

  std::string output;
  const std::string refused = folder / "no-such-folder/trace.txt";
  EXPECT_EQ(testing::RunProgram({Dravik(), "--trace", refused}, folder.path(), 10000, &output), 2);
  EXPECT_EQ(output, "dravik: cannot write the trace file " + refused +
                        ": No such file or directory\n");
}

}  // namespace
}  // namespace dravik
