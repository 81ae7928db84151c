#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <mutex>

#include "link/trace_file.h"
#include "pty_link.h"

namespace dravik::testing {
namespace {

namespace fs = std::filesystem;

class Recorder : public ProgressSink {
 public:
  void post(int code, long value) override {
    std::lock_guard<std::mutex> lock(mutex_);
    posts.emplace_back(code, value);
  }
  std::vector<long> Values(int code) {
    std::lock_guard<std::mutex> lock(mutex_);
    std::vector<long> v;
    for (auto& [c, val] : posts)
      if (c == code) v.push_back(val);
    return v;
  }
  std::mutex mutex_;
  std::vector<std::pair<int, long>> posts;
};

// Reads the next packet and checks its type and sequence; returns it.
PeerPacket Expect(KermitPeer& peer, int type, int seq, int check = 1) {
  PeerPacket p;
  EXPECT_TRUE(peer.Read(p, check)) << "waiting for " << static_cast<char>(type) << seq;
  EXPECT_TRUE(p.check_ok);
  EXPECT_EQ(static_cast<char>(p.type), static_cast<char>(type));
  EXPECT_EQ(p.seq, seq);
  return p;
}

const char* kCalcInit = "~* @-#Y3";  // the calculator's S: TIME 10, CHKT 3

// A calculator-like sender: S, F, D..., Z, B for one object, check 3.
void ServeObject(KermitPeer& peer, const std::string& name, const std::vector<std::string>& data,
                 int& seq) {
  seq = 0;
  peer.Send('S', 0, kCalcInit, 1);
  PeerPacket ack = Expect(peer, 'Y', 0);
  EXPECT_EQ(ack.data, "~' @-#Y3");
  peer.Send('F', ++seq, name, 3);
  Expect(peer, 'Y', seq, 3);
  for (const std::string& d : data) {
    peer.Send('D', ++seq, KermitQuote(d), 3);
    Expect(peer, 'Y', seq, 3);
  }
  peer.Send('Z', ++seq, "", 3);
  Expect(peer, 'Y', seq, 3);
  peer.Send('B', ++seq, "", 3);
  Expect(peer, 'Y', seq, 3);
}

// The receiving side of a one-file send after the S: F, one D and Z taken
// and acknowledged (check 3), then the B read; its answer is the caller's.
void TakeOneFileUpToTheBreak(KermitPeer& peer) {
  Expect(peer, 'F', 1, 3);
  peer.Send('Y', 1, "", 3);
  Expect(peer, 'D', 2, 3);
  peer.Send('Y', 2, "", 3);
  Expect(peer, 'Z', 3, 3);
  peer.Send('Y', 3, "", 3);
  Expect(peer, 'B', 4, 3);
}

class KermitTransactions : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(t_.opened);
    dir_ = fs::temp_directory_path() / ("dravik-kt-" + std::to_string(::getpid()));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    t_.session.CurrentPCFolder = dir_.string() + "/";
    t_.session.ProgressWindow = &progress_;
  }
  void TearDown() override {
    t_.session.ProgressWindow = nullptr;
    fs::remove_all(dir_);
  }
  std::string Write(const std::string& name, const std::string& content) {
    std::string path = (dir_ / name).string();
    std::ofstream(path, std::ios::binary) << content;
    return path;
  }
  std::string Read(const std::string& name) {
    std::ifstream in(dir_ / name, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), {});
  }
  std::vector<std::string> Files() {
    std::vector<std::string> names;
    for (auto& e : fs::directory_iterator(dir_)) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }
  CHP48Link& link() { return *t_.link; }
  RecordingWindow& window() { return t_.window; }

  PtyLink t_{2};
  Recorder progress_;
  fs::path dir_;
};

TEST_F(KermitTransactions, SendOneShortFile) {
  std::string path = Write("PROG", "1 2 +\r\n");
  std::string sent_name, sent_data;
  PeerThread server(t_.pty.master(), [&](KermitPeer& peer) {
    Expect(peer, 'S', 0);
    peer.Send('Y', 0, "~- @-# 3", 1);
    sent_name = Expect(peer, 'F', 1, 3).data;
    peer.Send('Y', 1, "", 3);
    sent_data = Expect(peer, 'D', 2, 3).data;
    peer.Send('Y', 2, "", 3);
    Expect(peer, 'Z', 3, 3);
    peer.Send('Y', 3, "", 3);
    Expect(peer, 'B', 4, 3);
    peer.Send('Y', 4, "", 3);
  });
  EXPECT_EQ(link().SendFiles({path}), 1);
  server.Join();
  EXPECT_EQ(sent_name, "PROG");
  EXPECT_EQ(sent_data, "1 2 +#M#J");
  EXPECT_EQ(link().m_seq, 0);
  EXPECT_EQ(link().m_checkType, 1);
  EXPECT_EQ(progress_.Values(kProgressItem), std::vector<long>({0}));
  EXPECT_EQ(progress_.Values(kProgressBytes).back(), 7);
  EXPECT_TRUE(window().messages().empty());
}

// The acknowledgement of the B lost on a noisy line: the calculator, back
// in its idle state, ignores the B sent again and only sends its idle NAK.
// The file was stored once its Z was answered: the send succeeded.
TEST_F(KermitTransactions, AnIdleNakAfterTheBreakEndsTheSend) {
  std::string path = Write("PROG", "1 2 +\r\n");
  PeerThread server(t_.pty.master(), [&](KermitPeer& peer) {
    Expect(peer, 'S', 0);
    peer.Send('Y', 0, "~- @-# 3", 1);
    TakeOneFileUpToTheBreak(peer);
    peer.Send('N', 0, "", 1);
  });
  EXPECT_EQ(link().SendFiles({path}), 1);
  server.Join();
  EXPECT_EQ(link().m_seq, 0);
  EXPECT_TRUE(window().messages().empty());
}

TEST_F(KermitTransactions, SendOfNothingIsInitAndBreak) {
  PeerThread server(t_.pty.master(), [&](KermitPeer& peer) {
    Expect(peer, 'S', 0);
    peer.Send('Y', 0, "~- @-# 1", 1);
    Expect(peer, 'B', 1);
    peer.Send('Y', 1, "", 1);
  });
  EXPECT_EQ(link().SendFiles({}), 1);
}

TEST_F(KermitTransactions, RetransmitsOnSilenceWrongSequenceAndOtherNaks) {
  std::string path = Write("A", "x");
  PeerThread server(t_.pty.master(), [&](KermitPeer& peer) {
    Expect(peer, 'S', 0);      // ignored: silence
    Expect(peer, 'S', 0);      // sent again after the time-out
    peer.Send('Y', 5, "", 1);  // wrong sequence
    Expect(peer, 'S', 0);
    peer.Send('N', 0, "", 1);  // NAK of this packet
    Expect(peer, 'S', 0);
    peer.Send('N', 1, "", 1);  // NAK of the next: an acknowledgement
    Expect(peer, 'F', 1);
    peer.Send('Q', 1, "", 1);  // a type that is no reply
    Expect(peer, 'F', 1);
    peer.Send('Y', 1, "", 1);
    Expect(peer, 'D', 2);
    peer.SendRaw("\x01# Y?\r");  // bad check
    Expect(peer, 'D', 2);
    peer.Send('Y', 2, "", 1);
    Expect(peer, 'Z', 3);
    peer.Send('Y', 3, "", 1);
    Expect(peer, 'B', 4);
    peer.Send('Y', 4, "", 1);
  });
  EXPECT_EQ(link().SendFiles({path}), 1);
}

// The send-init exchange has only the 6-bit check: a damaged answer that
// passes it and names a prefix nobody uses is asked for again; a peer that
// names it twice means it.
TEST_F(KermitTransactions, AnOddPrefixInTheInitExchangeIsBelievedOnlyTwice) {
  std::string path = Write("A", "x");
  PeerThread server(t_.pty.master(), [&](KermitPeer& peer) {
    Expect(peer, 'S', 0);
    peer.Send('Y', 0, "~- @-$Y3", 1);  // QCTL damaged into '$'
    Expect(peer, 'S', 0);
    peer.Send('Y', 0, "~- @-# 3", 1);
    TakeOneFileUpToTheBreak(peer);
    peer.Send('Y', 4, "", 3);
  });
  EXPECT_EQ(link().SendFiles({path}), 1);
  server.Join();
  EXPECT_EQ(link().m_peerQctl, '#');

  PeerThread sender(t_.pty.master(), [&](KermitPeer& peer) {
    Expect(peer, 'I', 0);
    peer.Send('Y', 0, "~- @-# 1", 1);
    Expect(peer, 'R', 0);
    peer.Send('S', 0, "~* @-#%1", 1);  // QBIN damaged into '%'
    Expect(peer, 'N', 0);
    peer.Send('S', 0, "~* @-!Y1", 1);  // a peer that quotes with '!'
    Expect(peer, 'N', 0);
    peer.Send('S', 0, "~* @-!Y1", 1);
    Expect(peer, 'Y', 0);
    peer.Send('F', 1, "B", 1);
    Expect(peer, 'Y', 1);
    peer.Send('D', 2, "!J", 1);
    Expect(peer, 'Y', 2);
    peer.Send('Z', 3, "", 1);
    Expect(peer, 'Y', 3);
    peer.Send('B', 4, "", 1);
    Expect(peer, 'Y', 4);
  });
  EXPECT_EQ(link().ReceiveFiles({"B"}), 1);
  sender.Join();
  EXPECT_EQ(Read("B"), "\n");
}

TEST_F(KermitTransactions, ASecondAckOfThePreviousPacketIsPassedOver) {
  // A packet answered twice (the calculator repeats what it thinks lost):
  // sending the next one again would start a round of duplicates.
  std::string path = Write("A", "x");
  PeerThread server(t_.pty.master(), [&](KermitPeer& peer) {
    Expect(peer, 'S', 0);
    peer.Send('Y', 0, "~- @-# 1", 1);
    Expect(peer, 'F', 1);
    peer.Send('Y', 1, "", 1);
    peer.Send('Y', 1, "", 1);
    Expect(peer, 'D', 2);
    peer.Send('Y', 2, "", 1);
    Expect(peer, 'Z', 3);
    peer.Send('Y', 3, "", 1);
    Expect(peer, 'B', 4);
    peer.Send('Y', 4, "", 1);
  });
  EXPECT_EQ(link().SendFiles({path}), 1);
}

TEST_F(KermitTransactions, SkipCurrentSendsZDiscardAndSkipAllStaysPressed) {
  std::string a = Write("A", std::string(300, 'a'));
  std::string b = Write("B", std::string(300, 'b'));
  std::string c = Write("C", "c");
  std::vector<std::string> names;
  PeerThread server(t_.pty.master(), [&](KermitPeer& peer) {
    int seq = 0;
    Expect(peer, 'S', 0);
    peer.Send('Y', 0, "~- @-# 1", 1);
    for (;;) {
      PeerPacket p;
      if (!peer.Read(p, 1)) break;
      seq = p.seq;
      std::string tag = std::string(1, static_cast<char>(p.type)) + p.data.substr(0, 1);
      names.push_back(tag);
      if (tag == "Da" && names.size() == 2) link().SkipCurrent();
      if (tag == "FC") link().SkipAll();  // pressed between files: still honoured
      peer.Send('Y', seq, "", 1);
      if (p.type == 'B') break;
    }
  });
  // Skipped files are what the user asked for, listed, not a failure.
  EXPECT_EQ(link().SendFiles({a, b, c}), 1);
  server.Join();
  EXPECT_EQ(link().SkippedItems, (std::vector<std::string>{a, c}));
  EXPECT_EQ(link().StoredNames, (std::vector<std::string>{"", "B", ""}));
  std::vector<std::string> expected = {"FA", "Da", "ZD", "FB", "Db", "Db", "Db", "Db", "Zx", "FC", "ZD", "Bx"};
  // Z and B carry no data apart from the discard mark.
  for (std::string& n : names)
    if (n.size() == 1) n += 'x';
  EXPECT_EQ(names, expected);
}

TEST_F(KermitTransactions, AFileThatCannotGoIsRefusedBeforeTheLine) {
  std::string missing = (dir_ / "nope").string();
  std::string folder = dir_.string();
  std::string long_name = Write(std::string(41, 'L'), "x");
  EXPECT_EQ(link().SendFiles({missing}), 0);
  EXPECT_EQ(link().SendFiles({folder}), 0);
  EXPECT_EQ(link().SendFiles({long_name}), 0);
  PeerPacket p;
  EXPECT_FALSE(t_.peer().Read(p, 1, 300));  // nothing reached the calculator
  ASSERT_EQ(window().messages().size(), 3u);
  EXPECT_EQ(window().messages()[0].text, "Could not open file: " + missing);
  EXPECT_EQ(window().messages()[0].caption, "ERROR");
  EXPECT_EQ(window().messages()[1].text, "Could not open file: " + folder);
  EXPECT_EQ(window().messages()[2].text,
            "Not a valid HP48 name: " + std::string(41, 'L') + " (longer than 40 characters)");
}

TEST_F(KermitTransactions, AReadErrorIsNotTakenForTheEndOfTheFile) {
  // Reading this file fails at once (an unmapped address).
  const std::string unreadable = "/proc/self/mem";
  std::string e_text;
  PeerThread server(t_.pty.master(), [&](KermitPeer& peer) {
    Expect(peer, 'S', 0);
    peer.Send('Y', 0, "~- @-# 1", 1);
    Expect(peer, 'F', 1);
    peer.Send('Y', 1, "", 1);
    e_text = Expect(peer, 'E', 1).data;
  });
  EXPECT_EQ(link().SendFiles({unreadable}), 0);
  server.Join();
  EXPECT_EQ(e_text, "Could not read file");
  ASSERT_EQ(window().messages().size(), 1u);
  EXPECT_EQ(window().messages()[0].text, "Could not read file: " + unreadable);
}

TEST_F(KermitTransactions, ARefusalInADataAckMeansTheFileWasNotKept) {
  std::string a = Write("A", std::string(200, 'a'));
  std::string b = Write("B", "b");
  std::vector<std::string> seen;
  PeerThread server(t_.pty.master(), [&](KermitPeer& peer) {
    Expect(peer, 'S', 0);
    peer.Send('Y', 0, "~- @-# 1", 1);
    for (;;) {
      PeerPacket p;
      if (!peer.Read(p, 1)) break;
      seen.push_back(std::string(1, static_cast<char>(p.type)) + p.data.substr(0, 1));
      // The first data packet of A is refused: "X" in its ACK.
      peer.Send('Y', p.seq, seen.back() == "Da" ? "X" : "", 1);
      if (p.type == 'B') break;
    }
  });
  EXPECT_EQ(link().SendFiles({a, b}), 0);
  server.Join();
  EXPECT_EQ(seen, (std::vector<std::string>{"FA", "Da", "ZD", "FB", "Db", "Z", "B"}));
  EXPECT_EQ(link().StoredNames, (std::vector<std::string>{"", "B"}));
  ASSERT_EQ(window().messages().size(), 1u);
  EXPECT_EQ(window().messages()[0].text, "A was refused by the receiver and not kept.");
}

// A calculator that gets an error packet in an upload ignores the line for
// seconds afterwards; a discarded file and the end of the batch it answers
// at once. After the stop nothing new goes out.
TEST_F(KermitTransactions, CancelDuringASendDiscardsTheFileAndEndsTheBatch) {
  std::string a = Write("A", std::string(1000, 'a'));
  std::vector<std::string> after_cancel;
  PeerThread server(t_.pty.master(), [&](KermitPeer& peer) {
    Expect(peer, 'S', 0);
    peer.Send('Y', 0, "~- @-# 1", 1);
    Expect(peer, 'F', 1);
    peer.Send('Y', 1, "", 1);
    Expect(peer, 'D', 2);
    link().Cancel();
    peer.Send('Y', 2, "", 1);
    PeerPacket p;
    while (peer.Read(p, 1, 1500)) {
      after_cancel.push_back(std::string(1, static_cast<char>(p.type)) + std::to_string(p.seq) +
                             p.data);
      peer.Send('Y', p.seq, "", 1);
    }
  });
  EXPECT_EQ(link().SendFiles({a}), 0);
  EXPECT_EQ(link().StoredNames, (std::vector<std::string>{""}));
  EXPECT_EQ(link().ReadDirectory(), 0);
  server.Join();
  EXPECT_EQ(after_cancel, (std::vector<std::string>{"Z3D", "B4"}));
}

// Stopped as the calculator answers our S: it now waits for packet 1 with
// the agreed check. A calculator that does not take the end of the batch
// gets an error packet where it waits.
TEST_F(KermitTransactions, CancelAsTheInitIsAnsweredReachesTheReceiverWhereItWaits) {
  std::string a = Write("A", "1");
  PeerPacket end, error;
  PeerThread server(t_.pty.master(), [&](KermitPeer& peer) {
    Expect(peer, 'S', 0);
    link().Cancel();
    peer.Send('Y', 0, "~- @-# 3", 1);
    ASSERT_TRUE(peer.Read(end, 3));
    ASSERT_TRUE(peer.Read(error, 3));
  });
  EXPECT_EQ(link().SendFiles({a}), 0);
  server.Join();
  EXPECT_EQ(std::string(1, static_cast<char>(end.type)) + std::to_string(end.seq), "B1");
  EXPECT_EQ(std::string(1, static_cast<char>(error.type)) + std::to_string(error.seq), "E1");
  EXPECT_TRUE(error.check_ok);
}

// A calculator still inside an earlier transfer NAKs every packet with the
// number it waits for, for many seconds: that is no silence, and the tries
// last their whole time-outs until it answers.
TEST_F(KermitTransactions, NaksOfAnotherExchangeDoNotUseUpTheTries) {
  PeerThread server(t_.pty.master(), [&](KermitPeer& peer) {
    const auto busy_until = std::chrono::steady_clock::now() + std::chrono::milliseconds(2500);
    PeerPacket p;
    while (peer.Read(p, 1) && std::chrono::steady_clock::now() < busy_until)
      peer.Send('N', 8, "", 3);
    peer.Send('S', 0, kCalcInit, 1);
    Expect(peer, 'Y', 0);
    peer.Send('B', 1, "", 1);
    Expect(peer, 'Y', 1);
  });
  EXPECT_EQ(link().RunHostCommand("HOME"), 1);
  server.Join();
  EXPECT_TRUE(window().messages().empty()) << window().messages()[0].text;
}

TEST_F(KermitTransactions, CancelDuringAListingEndsTheCalculatorsSend) {
  std::string e_text;
  PeerThread server(t_.pty.master(), [&](KermitPeer& peer) {
    Expect(peer, 'G', 0);
    peer.Send('S', 0, "~* @-#Y1", 1);
    Expect(peer, 'Y', 0);
    link().Cancel();  // Ctrl+C while the listing comes in
    peer.Send('X', 1, "", 1);
    PeerPacket p;
    while (peer.Read(p, 1, 5000) && p.type == 'Y') {
    }
    EXPECT_EQ(p.type, 'E');
    e_text = p.data;
  });
  EXPECT_EQ(link().ReadDirectory(), 0);
  server.Join();
  EXPECT_EQ(e_text, "FILES CANCELLED");
}

// The trace holds what went over the wire: an acknowledgement sent again
// for a repeated packet too, and a wait that Stop ended as such.
TEST_F(KermitTransactions, TheTraceHoldsEveryPacketSentAndAWaitStopEnded) {
  const std::string path = dir_.string() + "-trace.txt";
  t_.session.Trace = std::make_shared<TraceFile>(path);
  PeerThread server(t_.pty.master(), [&](KermitPeer& peer) {
    Expect(peer, 'G', 0);
    peer.Send('S', 0, "~* @-#Y1", 1);
    Expect(peer, 'Y', 0);
    for (int i = 0; i < 2; ++i) {
      peer.Send('X', 1, "", 1);
      Expect(peer, 'Y', 1);
    }
    link().Cancel();
    Expect(peer, 'E', 2);
  });
  EXPECT_EQ(link().ReadDirectory(), 0);
  server.Join();
  t_.session.Trace.reset();
  std::ifstream in(path);
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);)
    if (line.rfind("# ", 0) != 0) lines.push_back(line.substr(13));
  fs::remove(path);
  EXPECT_EQ(lines, (std::vector<std::string>{
                       "kermit > G seq 0 \"D\"", "kermit < S seq 0 \"~* @-#Y1\"",
                       "kermit > Y seq 0", "kermit < X seq 1", "kermit > Y seq 1",
                       "kermit < X seq 1", "kermit > Y seq 1", "kermit < stopped",
                       "kermit > E seq 2 \"FILES CANCELLED\""}));
}

TEST_F(KermitTransactions, ReceiveOneObject) {
  std::string r_data;
  PeerThread server(t_.pty.master(), [&](KermitPeer& peer) {
    EXPECT_EQ(Expect(peer, 'I', 0).data, "~' @-#Y1");
    peer.Send('Y', 0, "~- @-# 1", 1);
    r_data = Expect(peer, 'R', 0).data;
    int seq;
    ServeObject(peer, "PROG", {"%%HP: T(3);\r\n", "\x80\xff#~"}, seq);
  });
  EXPECT_EQ(link().ReceiveFiles({"PROG"}), 1);
  server.Join();
  EXPECT_EQ(r_data, "PROG");
  EXPECT_EQ(Read("PROG"), std::string("%%HP: T(3);\r\n\x80\xff#~"));
  EXPECT_EQ(link().m_checkType, 1);
  EXPECT_EQ(progress_.Values(kProgressItem), std::vector<long>({0}));
}

TEST_F(KermitTransactions, ReceiveTwoObjectsAsTwoRequests) {
  PeerThread server(t_.pty.master(), [&](KermitPeer& peer) {
    Expect(peer, 'I', 0);
    peer.Send('Y', 0, "~- @-# 1", 1);
    int seq;
    EXPECT_EQ(Expect(peer, 'R', 0).data, "A");
    ServeObject(peer, "A", {"first"}, seq);
    EXPECT_EQ(Expect(peer, 'R', 0).data, "B");
    ServeObject(peer, "B", {"second"}, seq);
  });
  // A and A.1 are there already: the new one becomes A.2.
  Write("A", "old");
  Write("A.1", "older");
  EXPECT_EQ(link().ReceiveFiles({"A", "B"}), 1);
  server.Join();
  EXPECT_EQ(Read("A"), "old");
  EXPECT_EQ(Read("A.1"), "older");
  EXPECT_EQ(Read("A.2"), "first");
  EXPECT_EQ(Read("B"), "second");
  EXPECT_EQ(progress_.Values(kProgressItem), std::vector<long>({0, 1}));
}

TEST_F(KermitTransactions, ReceivedNamesStayInsideTheFolder) {
  PeerThread server(t_.pty.master(), [&](KermitPeer& peer) {
    Expect(peer, 'I', 0);
    peer.Send('Y', 0, "~- @-# 1", 1);
    Expect(peer, 'R', 0);
    int seq;
    ServeObject(peer, "../../evil", {"x"}, seq);
  });
  EXPECT_EQ(link().ReceiveFiles({"X"}), 1);
  server.Join();
  EXPECT_EQ(Files(), std::vector<std::string>({".._.._evil"}));
}

TEST_F(KermitTransactions, MissingObjectShowsTheCalculatorsErrorAndLeavesNothing) {
  PeerThread server(t_.pty.master(), [&](KermitPeer& peer) {
    Expect(peer, 'I', 0);
    peer.Send('Y', 0, "~- @-# 1", 1);
    Expect(peer, 'R', 0);
    peer.Send('E', 0, "Undefined Name", 1);
  });
  EXPECT_EQ(link().ReceiveFiles({"NOSUCH"}), 0);
  server.Join();
  ASSERT_EQ(window().messages().size(), 1u);
  EXPECT_EQ(window().messages()[0].text, "Undefined Name");
  EXPECT_EQ(window().messages()[0].caption, "Error Message from HP48");
  EXPECT_EQ(link().m_seq, 0);
  EXPECT_TRUE(Files().empty());
}

TEST_F(KermitTransactions, DiscardedCancelledOrSkippedReceivesLeaveNoPartialFile) {
  // Z with "D": the sender discarded the file.
  {
    PeerThread server(t_.pty.master(), [&](KermitPeer& peer) {
      Expect(peer, 'I', 0);
      peer.Send('Y', 0, "~- @-# 1", 1);
      Expect(peer, 'R', 0);
      peer.Send('S', 0, kCalcInit, 1);
      Expect(peer, 'Y', 0);
      peer.Send('F', 1, "GONE", 3);
      Expect(peer, 'Y', 1, 3);
      peer.Send('D', 2, "part", 3);
      Expect(peer, 'Y', 2, 3);
      peer.Send('Z', 3, "D", 3);
      Expect(peer, 'Y', 3, 3);
      peer.Send('B', 4, "", 3);
      Expect(peer, 'Y', 4, 3);
    });
    EXPECT_EQ(link().ReceiveFiles({"GONE"}), 1);
  }
  EXPECT_TRUE(Files().empty());
  // Skip: E "FILES CANCELLED", partial file removed, result 1.
  {
    PeerThread server(t_.pty.master(), [&](KermitPeer& peer) {
      Expect(peer, 'I', 0);
      peer.Send('Y', 0, "~- @-# 1", 1);
      Expect(peer, 'R', 0);
      peer.Send('S', 0, kCalcInit, 1);
      Expect(peer, 'Y', 0);
      peer.Send('F', 1, "SKIP", 3);
      Expect(peer, 'Y', 1, 3);
      peer.Send('D', 2, "part", 3);
      Expect(peer, 'Y', 2, 3);
      link().SkipCurrent();
      peer.Send('D', 3, "more", 3);
      EXPECT_EQ(Expect(peer, 'E', 3, 3).data, "FILES CANCELLED");
    });
    EXPECT_EQ(link().ReceiveFiles({"SKIP"}), 1);
    EXPECT_EQ(link().SkippedItems, (std::vector<std::string>{"SKIP"}));
  }
  EXPECT_TRUE(Files().empty());
  link().ClearFlags();
  // Cancel: E packet, partial file removed, result 0; the next transaction
  // starts again with check type 1.
  {
    PeerThread server(t_.pty.master(), [&](KermitPeer& peer) {
      Expect(peer, 'I', 0);
      peer.Send('Y', 0, "~- @-# 1", 1);
      Expect(peer, 'R', 0);
      peer.Send('S', 0, kCalcInit, 1);
      Expect(peer, 'Y', 0);
      peer.Send('F', 1, "CANCEL", 3);
      Expect(peer, 'Y', 1, 3);
      link().Cancel();
      peer.Send('D', 2, "part", 3);
      PeerPacket p;
      ASSERT_TRUE(peer.Read(p, 3));
      EXPECT_EQ(p.type, 'E');
      EXPECT_EQ(p.data, "FILES CANCELLED");
    });
    EXPECT_EQ(link().ReceiveFiles({"CANCEL"}), 0);
  }
  EXPECT_TRUE(Files().empty());
  link().ClearFlags();
  PeerThread server(t_.pty.master(), [&](KermitPeer& peer) {
    EXPECT_EQ(Expect(peer, 'C', 0, 1).data, "HOME");
    peer.Send('S', 0, kCalcInit, 1);
    Expect(peer, 'Y', 0);
    peer.Send('X', 1, "", 1);
    Expect(peer, 'Y', 1);
    peer.Send('D', 2, "Empty Stack", 1);
    Expect(peer, 'Y', 2);
    peer.Send('Z', 3, "", 1);
    Expect(peer, 'Y', 3);
    peer.Send('B', 4, "", 1);
    Expect(peer, 'Y', 4);
  });
  EXPECT_EQ(link().GoHome(), 1);
  server.Join();
  EXPECT_EQ(link().HostReply, "Empty Stack");
}

TEST_F(KermitTransactions, AFailedWriteIsNotAcknowledged) {
  // A file-size limit stands in for a full disk.
  ::signal(SIGXFSZ, SIG_IGN);
  rlimit old{};
  ::getrlimit(RLIMIT_FSIZE, &old);
  rlimit small = old;
  small.rlim_cur = 1000;
  ::setrlimit(RLIMIT_FSIZE, &small);
  std::string e_text;
  PeerThread server(t_.pty.master(), [&](KermitPeer& peer) {
    Expect(peer, 'I', 0);
    peer.Send('Y', 0, "~- @-# 1", 1);
    Expect(peer, 'R', 0);
    peer.Send('S', 0, kCalcInit, 1);
    Expect(peer, 'Y', 0);
    peer.Send('F', 1, "BIG", 3);
    Expect(peer, 'Y', 1, 3);
    for (int seq = 2;; ++seq) {
      peer.Send('D', seq % 64, std::string(89, 'x'), 3);
      PeerPacket p;
      ASSERT_TRUE(peer.Read(p, 3));
      if (p.type == 'E') {
        e_text = p.data;
        break;
      }
      ASSERT_EQ(p.type, 'Y');
      ASSERT_LT(seq, 200);
    }
  });
  int result = link().ReceiveFiles({"BIG"});
  server.Join();
  ::setrlimit(RLIMIT_FSIZE, &old);
  EXPECT_EQ(result, 0);
  EXPECT_EQ(e_text, "Could not write file");
  EXPECT_TRUE(Files().empty());
  ASSERT_EQ(window().messages().size(), 1u);
  EXPECT_EQ(window().messages()[0].caption, "ERROR");
  EXPECT_EQ(window().messages()[0].text,
            "Could not write file: " + (dir_ / "BIG").string() + ": the file is too large");
}

TEST_F(KermitTransactions, DirectoryRequest) {
  t_.session.CurrentHPPath = "HOME\\";
  PeerThread server(t_.pty.master(), [&](KermitPeer& peer) {
    EXPECT_EQ(Expect(peer, 'G', 0).data, "D");
    peer.Send('S', 0, kCalcInit, 1);
    Expect(peer, 'Y', 0);
    peer.Send('X', 1, "", 1);
    Expect(peer, 'Y', 1);
    peer.Send('D', 2, "{ HOME } 127805#M#J", 1);
    Expect(peer, 'Y', 2);
    peer.Send('D', 3, "A 10.5 Real Number 1234#M#J", 1);
    Expect(peer, 'Y', 3);
    peer.Send('Z', 4, "", 1);
    Expect(peer, 'Y', 4);
    peer.Send('B', 5, "", 1);
    Expect(peer, 'Y', 5);
  });
  EXPECT_EQ(link().ReadDirectory(), 1);
  server.Join();
  EXPECT_EQ(link().DirectoryListing, "{ HOME } 127805\r\nA 10.5 Real Number 1234\r\n");
  EXPECT_EQ(window().status_texts(),
            std::vector<std::string>(
                {"Reading HOME\\ ...", "Reading HOME\\ .....", "Reading HOME\\ ......."}));
}

TEST_F(KermitTransactions, StaleNakIsDiscardedBeforeTheCommand) {
  // An idle server's NAK is waiting when the command starts.
  KermitPeer early(t_.pty.master());
  early.SendRaw("\x01# N3\r");
  ::usleep(100000);
  int commands = 0;
  PeerThread server(t_.pty.master(), [&](KermitPeer& peer) {
    EXPECT_EQ(Expect(peer, 'C', 0).data, "4 DROPN");
    ++commands;
    peer.Send('S', 0, kCalcInit, 1);
    Expect(peer, 'Y', 0);
    peer.Send('D', 1, "Empty Stack", 1);
    Expect(peer, 'Y', 1);
    peer.Send('B', 2, "", 1);
    Expect(peer, 'Y', 2);
    PeerPacket extra;
    if (peer.Read(extra, 1, 500)) ++commands;
  });
  EXPECT_EQ(link().RunHostCommand("4 DROPN"), 1);
  server.Join();
  EXPECT_EQ(commands, 1);
}

TEST_F(KermitTransactions, CommandTextsAreEncodedAndMustFitOnePacket) {
  std::string sent;
  PeerThread server(t_.pty.master(), [&](KermitPeer& peer) {
    sent = Expect(peer, 'C', 0).data;
    peer.Send('S', 0, kCalcInit, 1);
    Expect(peer, 'Y', 0);
    peer.Send('B', 1, "", 1);
    Expect(peer, 'Y', 1);
    PeerPacket late;
    EXPECT_FALSE(peer.Read(late, 1, 500)) << "a command too long went out";
  });
  // "#" would take the next character as a control character, a CR would
  // end the packet: both are prefixed.
  EXPECT_EQ(link().RunHostCommand("# 5d\r'BI' STO"), 1);
  const std::string hashes(46, '#');
  EXPECT_EQ(link().RunHostCommand(hashes), 0);
  server.Join();
  EXPECT_EQ(sent, "## 5d#M'BI' STO");
  ASSERT_EQ(window().messages().size(), 1u);
  EXPECT_EQ(window().messages()[0].text,
            "The command is too long for one packet (92 characters encoded, at most 91):\n" +
                hashes);
}

TEST_F(KermitTransactions, HostReplyEndsWithBAndAPlainAckIsAFailure) {
  PeerThread server(t_.pty.master(), [&](KermitPeer& peer) {
    Expect(peer, 'C', 0);
    peer.Send('Y', 0, "", 1);
  });
  EXPECT_EQ(link().RunHostCommand("X"), 0);
}

TEST(KermitNoResponse, SilenceRunsTheSettingsDialogAndOkReopensThePort) {
  PtyLink t(1);
  ASSERT_TRUE(t.opened);
  t.window.settings_answer = true;
  t.window.on_settings_dialog = [&] { t.session.Settings.BaudRate = 19200; };
  int sends = 0;
  PeerThread server(t.pty.master(), [&](KermitPeer& peer) {
    PeerPacket p;
    while (peer.Read(p, 1, 4000)) ++sends;
  });
  EXPECT_EQ(t.link->RunHostCommand("HOME"), 0);
  EXPECT_EQ(t.window.settings_dialogs(), 1);
  ASSERT_EQ(t.window.messages().size(), 1u);
  EXPECT_EQ(t.window.messages()[0].text,
            "No response from HP48\n\nPut your HP in Server-Mode and check the settings");
  EXPECT_EQ(t.window.messages()[0].caption, "Error");
  EXPECT_TRUE(t.link->IsOpen());
  EXPECT_FALSE(t.session.LinkClosedByUser);
  server.Join();
  EXPECT_EQ(sends, 7);  // the command and six retransmissions
}

TEST(KermitNoResponse, CancelInTheDialogClosesTheLink) {
  PtyLink t(1);
  ASSERT_TRUE(t.opened);
  t.window.settings_answer = false;
  EXPECT_EQ(t.link->ReadDirectory(), 0);
  EXPECT_FALSE(t.link->IsOpen());
  EXPECT_TRUE(t.session.LinkClosedByUser);
}

TEST(CalculatorDirectory, PathsAndCommandTexts) {
  PtyLink t;
  ASSERT_TRUE(t.opened);
  t.session.CurrentHPPath = "HOME\\GAMES\\CHESS\\";
  t.link->UpDirectory();
  EXPECT_EQ(t.session.CurrentHPPath, "HOME\\GAMES\\");
  t.link->UpDirectory();
  EXPECT_EQ(t.session.CurrentHPPath, "HOME\\");
  t.link->UpDirectory();
  EXPECT_EQ(t.session.CurrentHPPath, "HOME\\");

  std::vector<std::string> texts;
  PeerThread server(t.pty.master(), [&](KermitPeer& peer) {
    for (int i = 0; i < 3; ++i) {
      texts.push_back(Expect(peer, 'C', 0).data);
      peer.Send('S', 0, kCalcInit, 1);
      Expect(peer, 'Y', 0);
      peer.Send('B', 1, "", 1);
      Expect(peer, 'Y', 1);
    }
    texts.push_back(Expect(peer, 'G', 0).data);
  });
  t.session.CurrentHPPath = "HOME\\";
  EXPECT_EQ(t.link->ChangeDirectory(), 1);
  t.session.CurrentHPPath = "HOME\\GAMES\\CHESS\\";
  EXPECT_EQ(t.link->ChangeDirectory(), 1);
  EXPECT_EQ(t.session.HPWorkingPath, "HOME\\GAMES\\CHESS\\");
  EXPECT_EQ(t.link->Finish(), 1);
  server.Join();
  // Each name is entered only when it holds a directory; two names take two
  // commands.
  EXPECT_EQ(texts, std::vector<std::string>(
                       {"HOME", "HOME 'GAMES' IF 15 TVARS OVER POS THEN EVAL ELSE DROP END",
                        "'CHESS' IF 15 TVARS OVER POS THEN EVAL ELSE DROP END", "F"}));
}

}  // namespace
}  // namespace dravik::testing
