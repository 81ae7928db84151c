// dravik-cli against a scripted Kermit peer on a pseudo-terminal: what it
// offers and what it does when the peer answers in a particular way.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <functional>

#include <string>
#include <vector>

#include "settings/settings_file.h"
#include "child_program.h"
#include "kermit_peer.h"
#include "pty_pair.h"
#include "scratch_folder.h"

namespace dravik::testing {
namespace {

class CliPeerTest : public ::testing::Test {
 protected:
  void SetUp() override { ::setenv("XDG_CONFIG_HOME", config.path().c_str(), 1); }
  void TearDown() override { ::unsetenv("XDG_CONFIG_HOME"); }

  // Runs dravik-cli on the pseudo-terminal while script plays the peer.
  int Cli(const std::vector<std::string>& args, const std::function<void(KermitPeer&)>& script) {
    PtyPair pty;
    PeerThread peer(pty.master(), script);
    const char* bin = std::getenv("DRAVIK_BINARY_DIR");
    std::vector<std::string> argv = {std::string(bin ? bin : ".") + "/dravik-cli", "-q",
                                     "--device", pty.device(), "-C", pc.path()};
    argv.insert(argv.end(), args.begin(), args.end());
    const int status = RunProgram(argv, pc.path(), 30000, &output);
    peer.Join();
    return status;
  }

  // The block check dravik-cli offers in the S of a send.
  std::string OfferedCheck(const std::vector<std::string>& options) {
    WriteBytes(pc / "F", {'x'});
    std::vector<std::string> args = options;
    args.insert(args.end(), {"send", pc / "F"});
    std::string offered;
    Cli(args, [&](KermitPeer& peer) {
      PeerPacket s;
      if (peer.Read(s, 1) && s.type == 'S' && s.data.size() >= 8) offered = s.data.substr(7, 1);
      peer.Send('E', 0, "enough", 1);
    });
    return offered;
  }

  ScratchFolder config, pc;
  std::string output;
};

TEST_F(CliPeerTest, BlockCheckThreeIsOfferedUnlessChosen) {
  EXPECT_EQ(OfferedCheck({}), "3");
  EXPECT_EQ(OfferedCheck({"--check", "1"}), "1");
  Session s;
  s.Settings.ChecksumType = 2;
  s.FavoritePath = pc.path();
  ASSERT_EQ(SaveSettingsFile(s, SettingsFilePath()), 1);
  EXPECT_EQ(OfferedCheck({}), "2");
}

// The calculator's send of one object or text: S, F (or X), D..., Z, B.
void CalculatorSends(KermitPeer& peer, char header, const std::string& name,
                     const std::string& data) {
  int seq = 0;
  auto exchange = [&](char type, const std::string& field) {
    peer.Send(type, seq, field, 1);
    PeerPacket ack;
    EXPECT_TRUE(peer.Read(ack, 1)) << type;
    EXPECT_EQ(ack.type, 'Y') << type;
    seq = (seq + 1) % 64;
  };
  exchange('S', "~* @-#Y1");
  exchange(header, name);
  exchange('D', KermitQuote(data));
  exchange('Z', "");
  exchange('B', "");
}

TEST_F(CliPeerTest, WhatArrivedIsCheckedWhenALaterItemFails) {
  // A real 1.5 whose checksum the calculator lists as another.
  const std::string real = "HPHP48-R3)" + std::string(7, '\0') + "\x15" + std::string(1, '\0');
  std::vector<std::string> requests;
  const int status = Cli({"get", "A", "NOPE"}, [&](KermitPeer& peer) {
    PeerPacket p;
    while (peer.Read(p, 1, 1000)) {
      requests.push_back(std::string(1, static_cast<char>(p.type)) + " " + p.data);
      if (p.type == 'I') peer.Send('Y', 0, "~- @-# 1", 1);
      else if (p.type == 'R' && p.data == "A") CalculatorSends(peer, 'F', "A", real);
      else if (p.type == 'R') peer.Send('E', 0, "Undefined Name", 1);
      else if (p.type == 'G') CalculatorSends(peer, 'X', "", "{ HOME } 1000\r\nA 16 Real Number 1234\r\n");
    }
  });
  EXPECT_EQ(status, 1);
  ASSERT_EQ(requests.size(), 4u);
  EXPECT_EQ(requests[3], "G D");
  EXPECT_TRUE(pc.Names().empty()) << "the garbled A was kept";
  EXPECT_NE(output.find("A arrived garbled"), std::string::npos) << output;
}

}  // namespace
}  // namespace dravik::testing
