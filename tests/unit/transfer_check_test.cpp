// Checking what went over against the calculator's listing, when the
// listing cannot be had.
#include "link/transfer_check.h"

#include <gtest/gtest.h>

#include "pty_link.h"
#include "scratch_folder.h"

namespace dravik::testing {
namespace {

TEST(TransferCheck, ASentObjectLeftUncheckedIsSaidToBeOnTheCalculator) {
  PtyLink t;
  ASSERT_TRUE(t.opened);
  ScratchFolder folder;
  const std::string real = "HPHP48-R3)" + std::string(7, '\0') + "\x15" + std::string(1, '\0');
  WriteBytes(folder / "R", std::vector<uint8_t>(real.begin(), real.end()));
  t.link->StoredNames = {"R"};
  int requests = 0;
  PeerThread server(t.pty.master(), [&](KermitPeer& peer) {
    PeerPacket p;
    while (peer.Read(p, 1, 1000)) {
      if (p.type != 'G') continue;
      ++requests;
      peer.Send('E', 0, "Busy", 1);
    }
  });
  EXPECT_EQ(CheckSentObjects(*t.link, {folder / "R"}), 0);
  server.Join();
  // Asked again within the retry limit, then said plainly.
  EXPECT_EQ(requests, 3);
  ASSERT_FALSE(t.window.messages().empty());
  EXPECT_EQ(t.window.messages().back().text,
            "R was sent, but the calculator's directory could not be read to check it: an "
            "unchecked copy is on the calculator.");
}

}  // namespace
}  // namespace dravik::testing
