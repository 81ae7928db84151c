// dravik-sim as a program: prints its device, serves, saves its memory.
#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>

#include "calculator.h"
#include "child_program.h"
#include "raw_device.h"
#include "scratch_folder.h"

namespace dravik::sim {
namespace {

std::string SimProgram() {
  const char* dir = std::getenv("DRAVIK_BINARY_DIR");
  return std::string(dir ? dir : ".") + "/dravik-sim";
}

TEST(SimMain, PrintsItsDeviceServesAndSavesTheMemoryOnTerm) {
  testing::ScratchFolder folder;
  const std::string memory = folder / "mem.hp";
  testing::ChildProgram sim({SimProgram(), "--memory", memory, "--save", "--idle-nak", "0"},
                            folder.path());
  ASSERT_TRUE(sim.started());
  std::string device = sim.ReadLine(10000);
  ASSERT_EQ(device.rfind("/dev/pts/", 0), 0u) << device;
  {
    testing::RawDevice line(device);
    ASSERT_TRUE(line.ok());
    line.Write("\x01( CCLEARU\r");
    EXPECT_EQ(line.ReadLine(), "\x01+ S~* @-#Y3$\r");
  }
  EXPECT_EQ(sim.Signal(SIGTERM, 10000), 0);
  // A memory file that did not exist starts as the demo memory.
  Calculator saved;
  std::string error;
  ASSERT_TRUE(saved.LoadMemory(memory, &error)) << error;
  EXPECT_EQ(saved.DirectoryListing(), Calculator::Demo().DirectoryListing());
}

TEST(SimMain, BadArgumentsAreRefused) {
  std::string out;
  EXPECT_EQ(testing::RunProgram({SimProgram(), "--noise", "2"}, "", 10000, &out), 2);
  EXPECT_EQ(testing::RunProgram({SimProgram(), "--memory", "/nonexistent/x"}, "", 10000, &out), 1);
  EXPECT_NE(out.find("dravik-sim: cannot load /nonexistent/x"), std::string::npos) << out;
  EXPECT_EQ(testing::RunProgram({SimProgram(), "--model", "50x"}, "", 10000, &out), 2);
  EXPECT_NE(out.find("dravik-sim: --model takes 48sx, 48gx or 49g"), std::string::npos) << out;
  EXPECT_EQ(testing::RunProgram({SimProgram(), "--card", "128", "--card", "128"}, "", 10000, &out),
            2);
  EXPECT_NE(out.find("dravik-sim: the 48gx has no free card port for another --card"),
            std::string::npos) << out;
}

}  // namespace
}  // namespace dravik::sim
