// C-Kermit as the client of the simulated calculator, as someone without a
// calculator tries it: a listing, a get, a send and a command line, each
// opened with C-Kermit's I packet and its request right after.
#include <gtest/gtest.h>

#include <string>

#include "child_program.h"
#include "ckermit_server.h"
#include "scratch_folder.h"
#include "simulated_hp48.h"

namespace dravik {
namespace {

using testing::ScratchFolder;

TEST(CKermitClient, ListsGetsSendsAndRunsACommandLineOnTheSimulator) {
  if (!testing::CKermitServer::Available()) GTEST_SKIP() << "kermit is not installed";
  sim::SimulatedHp48 hp48;  // the demo memory, with the real calculator's habits
  std::string error;
  ASSERT_TRUE(hp48.Start(&error)) << error;
  ScratchFolder folder;
  testing::WriteBytes(folder / "HALF", {'.', '5'});
  auto kermit = [&](const std::string& command, std::string* output) {
    const std::string commands =
        "set carrier-watch off, set flow none, set file type binary, set transfer mode manual, "
        "set file names literal, " + command + ", exit";
    return testing::RunProgram({"kermit", "-Y", "-l", hp48.device(), "-C", commands},
                               folder.path(), 20000, output);
  };
  std::string listing, got, sent, reply;
  EXPECT_EQ(kermit("remote directory", &listing), 0) << listing;
  EXPECT_NE(listing.find("GAMES"), std::string::npos) << listing;
  EXPECT_EQ(kermit("get PI2", &got), 0) << got;
  EXPECT_EQ(testing::ReadBytes(folder / "PI2"),
            hp48.WithCalculator([](sim::Calculator& c) { return c.RecallForTransfer("PI2").file; }));
  EXPECT_EQ(kermit("send HALF", &sent), 0) << sent;
  EXPECT_EQ(kermit("remote host HALF 4 *", &reply), 0) << reply;
  EXPECT_NE(reply.find("1:                     2"), std::string::npos) << reply;
  hp48.Stop();
}

}  // namespace
}  // namespace dravik
