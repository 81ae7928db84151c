#include "link/temp_program_file.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>

#include "scratch_folder.h"

namespace dravik {
namespace {

// Two runs at once (two calculators) each upload their own program under
// the one name the calculator expects.
TEST(TempProgramFile, EachProgramHasAFileOfItsOwnUnderTheFixedName) {
  testing::ScratchFolder config;
  ::setenv("XDG_CONFIG_HOME", config.path().c_str(), 1);
  {
    TempProgramFile a("XModem.tmp", "program A");
    TempProgramFile b("XModem.tmp", "program B");
    ASSERT_TRUE(a.ok() && b.ok());
    EXPECT_NE(a.path(), b.path());
    EXPECT_EQ(std::filesystem::path(a.path()).filename(), "XModem.tmp");
    const auto bytes = testing::ReadBytes(a.path());
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "program A");
  }
  for (const auto& entry : std::filesystem::directory_iterator(config / "dravik"))
    ADD_FAILURE() << "left behind: " << entry.path();
  ::unsetenv("XDG_CONFIG_HOME");
}

}  // namespace
}  // namespace dravik
