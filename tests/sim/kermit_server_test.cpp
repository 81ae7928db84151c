// The server's packets compared byte for byte with real HP48GX traffic
// (the reference captures): each request below is the PC's packet as
// captured, each expected line the calculator's answer as captured.
#include "kermit_server.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <map>
#include <thread>

#include "kermit_peer.h"
#include "raw_device.h"

namespace dravik::sim {
namespace {

using namespace std::string_literals;
using testing::RawDevice;

class FakeMemory : public ServerCalculator {
 public:
  int cksm = 3;
  std::string listing = "{ HOME } 127805\r\nIOPAR 29.5 List 8861\r\n";
  std::string reply = "Empty Stack";
  std::string last_command;
  std::map<std::string, Bytes> files;  // what R finds
  std::map<std::string, Bytes> stored;
  std::string store_error;
  size_t room = SIZE_MAX;  // free memory in bytes

  int ChecksumType() override { return cksm; }
  std::string DirectoryListing() override { return listing; }
  std::string UploadName(const std::string& name) override {
    return stored.count(name) ? name + ".1" : name;
  }
  StoreResult StoreUpload(const std::string& name, const Bytes& file) override {
    StoreResult r;
    if (!store_error.empty()) {
      r.error = store_error;
      return r;
    }
    r.ok = true;
    r.stored_name = UploadName(name);
    stored[r.stored_name] = file;
    return r;
  }
  bool HasRoomFor(size_t bytes) override { return bytes <= room; }
  std::string UploadRefusal(const std::string& name) override {
    return name.find(':') != std::string::npos ? "Invalid Name" : "";
  }
  RecallResult RecallForTransfer(const std::string& name) override {
    RecallResult r;
    auto it = files.find(name);
    if (it == files.end()) {
      r.error = "Undefined Name";
    } else {
      r.ok = true;
      r.file = it->second;
    }
    return r;
  }
  std::string RunCommandLine(std::string_view text) override {
    last_command = std::string(text);
    return reply;
  }
};

Bytes B(const std::string& s) { return Bytes(s.begin(), s.end()); }

class KermitServerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(line_.ok()) << line_.error();
    KermitOptions options;
    options.idle_nak_seconds = 0;
    options.time_override = 1;
    options.max_retries = 3;
    // The replays send each request at once and compare packet by packet.
    options.idle_return_ms = 0;
    options.repeat_send_init = false;
    server_ = std::make_unique<KermitServer>(line_, memory_, options);
    device_ = std::make_unique<RawDevice>(line_.device());
    ASSERT_TRUE(device_->ok());
    thread_ = std::thread([this] {
      while (!line_.stopped())
        if (server_->ServeOne() == KermitServer::Event::kFinish) finished_ = true;
    });
  }
  void TearDown() override {
    line_.Stop();
    if (thread_.joinable()) thread_.join();
  }
  // Sends one packet and returns the calculator's next packet.
  std::string Ask(const std::string& packet) {
    device_->Write(packet);
    return device_->ReadLine();
  }
  void Replay(const std::vector<std::pair<std::string, std::string>>& steps) {
    for (const auto& [ours, theirs] : steps) EXPECT_EQ(Ask(ours), theirs) << "after " << ours;
  }

  SimLine line_;
  FakeMemory memory_;
  std::unique_ptr<KermitServer> server_;
  std::unique_ptr<RawDevice> device_;
  std::thread thread_;
  std::atomic<bool> finished_{false};
};

TEST_F(KermitServerTest, CommandRepliesComeAsSXDZB) {
  Replay({{"\x01( CCLEARU\r", "\x01+ S~* @-#Y3$\r"},
          {"\x01# Y>\r", "\x01#!X>\r"},
          {"\x01#!Y?\r", "\x01.\"DEmpty Stack[\r"},
          {"\x01#\"Y@\r", "\x01##ZB\r"},
          {"\x01##YA\r", "\x01#$B+\r"}});
  device_->Write("\x01#$YB\r");
  EXPECT_EQ(memory_.last_command, "CLEAR");
  // The command is decoded: "##5h" is "#5h".
  memory_.reply = "1:                  # 5h\r\n";
  Replay({{"\x01' C##5hN\r", "\x01+ S~* @-#Y3$\r"},
          {"\x01# Y>\r", "\x01#!X>\r"},
          {"\x01#!Y?\r", "\x01@\"D1:                  ## 5h#M#JQ\r"}});
  EXPECT_EQ(memory_.last_command, "#5h");
}

TEST_F(KermitServerTest, AnEmptyListingIsADPacketWithoutData) {
  memory_.listing.clear();  // an HP48SX's listing of an empty directory
  Replay({{"\x01$ GD2\r", "\x01+ S~* @-#Y3$\r"},
          {"\x01# Y>\r", "\x01#!X>\r"},
          {"\x01#!Y?\r", "\x01#\"D+\r"},
          {"\x01#\"Y@\r", "\x01##ZB\r"}});
}

TEST_F(KermitServerTest, InitPacketsAndUnknownRequestsAnswerAsCaptured) {
  Replay({{"\x01+ I~' @-#Y1T\r", "\x01+ Y~- @-# 11\r"},
          {"\x01+ I~' @-#Y3V\r", "\x01+ Y~- @-# 33\r"},
          {"\x01+ I~* @-#Y2X\r", "\x01+ Y~& @-# 2+\r"},
          {"\x01$ GXF\r", "\x01" "6 EInvalid Server Cmd.<\r"},
          {"\x01# Q6\r", "\x01" "6 EInvalid Server Cmd.<\r"},
          {"\x01& RNH2A\r", "\x01" "1 EUndefined Name,\r"}});
}

TEST_F(KermitServerTest, UploadsAreAcknowledgedAndStored) {
  Replay({{"\x01+ S~* @-#Y1\"\r", "\x01+ Y~& @-# 1*\r"},
          {"\x01%!FRB@\r", "\x01%!YRBS\r"},
          {"\x01?\"DHPHP48-R3)#@#@#@#@#@#@#@#P#@I\r", "\x01#\"Y@\r"},
          {"\x01##ZB\r", "\x01##YA\r"},
          {"\x01#$B+\r", "\x01#$YB\r"}});
  EXPECT_EQ(memory_.stored["RB"], B("HPHP48-R3)\x00\x00\x00\x00\x00\x00\x00\x10\x00"s));

  // Block check 3 once our S names it; the S and its ACK stay type 1.
  Replay({{"\x01+ S~' @-#Y3 \r", "\x01+ Y~- @-# 33\r"},
          {"\x01(!FSP3\"ZH\r", "\x01(!YSP3%_P\r"},
          {"\x01" "A\"D%%HP: T(3)A(D)F(.);#M#J8#M#J(76\r", "\x01%\"Y.5!\r"},
          {"\x01%#Z,X\"\r", "\x01%#Y/R9\r"},
          {"\x01%$B!_#\r", "\x01%$Y+&1\r"}});
  EXPECT_EQ(memory_.stored["SP3"], B("%%HP: T(3)A(D)F(.);\r\n8\r\n"));

  // A name that exists: the F acknowledgement carries the stored name.
  memory_.stored["TP"] = B("x");
  Replay({{"\x01+ S~* @-#Y1\"\r", "\x01+ Y~& @-# 1*\r"},
          {"\x01%!FTPP\r", "\x01'!YTP.1F\r"}});
}

TEST_F(KermitServerTest, AnUploadThatDoesNotParseGetsItsErrorAsTheAnswerToZ) {
  memory_.store_error = "Invalid Syntax";
  Replay({{"\x01+ S~* @-#Y1\"\r", "\x01+ Y~& @-# 1*\r"},
          {"\x01&!FNH26\r", "\x01&!YNH2I\r"},
          {"\x01" "0\"D\\<< 1 2 + \\>>1\r", "\x01#\"Y@\r"},
          {"\x01##ZB\r", "\x01" "1#EInvalid Syntax'\r"}});
  // The E was lost and the Z comes again: it gets the E again, never an ACK.
  EXPECT_EQ(Ask("\x01##ZB\r"), "\x01" "1#EInvalid Syntax'\r");
  EXPECT_TRUE(memory_.stored.empty());
}

// hp48-reference group H2: a tagged name is refused in answer to the F.
TEST_F(KermitServerTest, AnUploadNamedForAPortIsRefusedAtItsName) {
  Replay({{"\x01+ S~* @-#Y1\"\r", "\x01+ Y~& @-# 1*\r"},
          {"\x01(!F:1:UP<\r", "\x01/\"EInvalid Name!\r"}});
  EXPECT_TRUE(memory_.stored.empty());
}

TEST_F(KermitServerTest, AnUploadLargerThanFreeMemoryIsRefusedAsItArrives) {
  memory_.room = 20;
  Replay({{"\x01+ S~* @-#Y1\"\r", "\x01+ Y~& @-# 1*\r"},
          {"\x01%!FRB@\r", "\x01%!YRBS\r"},
          {"\x01;\"DHPHP48-R0123456789ABCDEF?\r", "\x01" "6\"EInsufficient Memory=\r"}});
  EXPECT_TRUE(memory_.stored.empty());
}

TEST_F(KermitServerTest, FilesAreSentWithTheBlockCheckAndPrefixingTheClientAccepts) {
  memory_.files["X8"] = B("%%HP: T(1)A(D)F(.);\r\n\"\x80\x8d\x8f\xab\xbb\xd7\xe5\xff#\""s);
  memory_.files["P"] = B("%%HP: T(1)A(D)F(.);\r\n\xab 1\r\n\xbb\r\n");
  // Raw 8-bit bytes, only control codes quoted.
  Replay({{"\x01% RX8G\r", "\x01+ S~* @-#Y3$\r"},
          {"\x01+ Y~' @-#Y1%\r", "\x01%!FX8<\r"},
          {"\x01#!Y?\r", "\x01J\"D%%HP: T(1)A(D)F(.);#M#J\"#\xc0#\xcd#\xcf\xab\xbb\xd7\xe5#\xbf##\"+\r"s},
          {"\x01#\"Y@\r", "\x01##ZB\r"},
          {"\x01##YA\r", "\x01#$B+\r"}});
  device_->Write("\x01#$YB\r");
  // 8th-bit prefixing when our ACK asks for '&'.
  Replay({{"\x01% RX8G\r", "\x01+ S~* @-#Y3$\r"},
          {"\x01+ Y~' @-#&11\r", "\x01%!FX8<\r"},
          {"\x01#!Y?\r", "\x01R\"D%%HP: T(1)A(D)F(.);#M#J\"&#@&#M&#O&+&;&W&e&#?##\" \r"}});
  Replay({{"\x01#\"Y@\r", "\x01##ZB\r"}, {"\x01##YA\r", "\x01#$B+\r"}});
  device_->Write("\x01#$YB\r");
  // Block check 3 when both name it.
  Replay({{"\x01$ RPI\r", "\x01+ S~* @-#Y3$\r"},
          {"\x01+ Y~' @-#Y3'\r", "\x01&!FP-T=\r"},
          {"\x01%!Y,\\I\r", "\x01H\"D%%HP: T(1)A(D)F(.);#M#J\xab 1#M#J\xbb#M#J\"O=\r"},
          {"\x01%\"Y.5!\r", "\x01%#Z,X\"\r"},
          {"\x01%#Y/R9\r", "\x01%$B!_#\r"}});
  device_->Write("\x01%$Y+&1\r");
  // Block check 2 under 2 CKSM; and type 1 when the client names another.
  memory_.cksm = 2;
  Replay({{"\x01$ RPI\r", "\x01+ S~* @-#Y2#\r"},
          {"\x01+ Y~' @-#Y2&\r", "\x01%!FP#<\r"},
          {"\x01$!Y\">\r", "\x01G\"D%%HP: T(1)A(D)F(.);#M#J\xab 1#M#J\xbb#M#JCC\r"}});
  Replay({{"\x01$\"Y\"?\r", "\x01$#Z\"A\r"}, {"\x01$#Y\"@\r", "\x01$$B\"*\r"}});
  device_->Write("\x01$$Y\"A\r");
  memory_.cksm = 1;
  Replay({{"\x01$ RPI\r", "\x01+ S~* @-#Y1\"\r"},
          {"\x01+ Y~' @-#Y3'\r", "\x01$!FP>\r"},
          {"\x01#!Y?\r", "\x01" "F\"D%%HP: T(1)A(D)F(.);#M#J\xab 1#M#J\xbb#M#JE\r"}});
}

TEST_F(KermitServerTest, ListingPacketsAreFilledToTheClientsMaximum) {
  memory_.listing =
      "{ HOME } 127125\r\nTP.1 19 Real Number 36101\r\nfile.txt 23 Real Number 32193\r\n"
      "lower 20 Real Number 59472\r\nTGU 18 Real Number 7537\r\nH2 17 Real Number 52870\r\n";
  // An empty ACK: MAXL 80, so LEN 'p'.
  Replay({{"\x01$ GD2\r", "\x01+ S~* @-#Y3$\r"},
          {"\x01# Y>\r", "\x01#!X>\r"},
          {"\x01#!Y?\r",
           "\x01p\"D{ HOME } 127125#M#JTP.1 19 Real Number 36101#M#Jfile.txt 23 Real Number 32193:\r"},
          {"\x01#\"Y@\r",
           "\x01p#D#M#Jlower 20 Real Number 59472#M#JTGU 18 Real Number 7537#M#JH2 17 Real Numbe-\r"}});
}

TEST_F(KermitServerTest, LostAndDamagedPacketsAreRepeated) {
  // A damaged request is answered with a NAK.
  EXPECT_EQ(Ask("\x01( CCLEARV\r"), "\x01# N3\r");
  EXPECT_EQ(Ask("\x01( CCLEARU\r"), "\x01+ S~* @-#Y3$\r");
  // Silence: the S comes again after the time-out.
  EXPECT_EQ(device_->ReadLine(std::chrono::seconds(5)), "\x01+ S~* @-#Y3$\r");
  EXPECT_EQ(Ask("\x01# Y>\r"), "\x01#!X>\r");
  // A NAK of the X brings it again; a NAK of the next packet counts as ACK.
  EXPECT_EQ(Ask("\x01#!N4\r"), "\x01#!X>\r");
  EXPECT_EQ(Ask("\x01#\"N5\r"), "\x01.\"DEmpty Stack[\r");
  // A second ACK of the X (the client answered its repeat) brings nothing:
  // every later packet would go twice.
  device_->Write("\x01#!Y?\r");
  EXPECT_EQ(device_->ReadLine(std::chrono::milliseconds(500)), "");
  // X (cancel the file) in an ACK is passed over: the end comes as usual.
  EXPECT_EQ(Ask(testing::KermitPeer::Build('Y', 2, "X", 1)), "\x01##ZB\r");

  // As receiver: a repeated F (our ACK was lost) gets the same ACK again,
  // a damaged D a NAK for its number.
  EXPECT_EQ(Ask("\x01##YA\r"), "\x01#$B+\r");
  device_->Write("\x01#$YB\r");
  Replay({{"\x01+ S~* @-#Y1\"\r", "\x01+ Y~& @-# 1*\r"},
          {"\x01%!FRB@\r", "\x01%!YRBS\r"},
          {"\x01%!FRB@\r", "\x01%!YRBS\r"},
          {"\x01?\"DHPHP48-R3)#@#@#@#@#@#@#@#P#@J\r", "\x01#\"N5\r"},
          {"\x01?\"DHPHP48-R3)#@#@#@#@#@#@#@#P#@I\r", "\x01#\"Y@\r"},
          {"\x01##ZB\r", "\x01##YA\r"},
          {"\x01#$B+\r", "\x01#$YB\r"}});
  EXPECT_EQ(memory_.stored["RB"].size(), 19u);
}

TEST_F(KermitServerTest, HabitsOfTheRealCalculator) {
  KermitOptions options;
  options.idle_nak_seconds = 1;
  options.time_override = 1;
  options.idle_return_ms = 100;
  server_->SetOptions(options);
  // The S comes again and again until its first acknowledgement.
  device_->Write("\x01( CCLEARU\r");
  for (int i = 0; i < 3; ++i) EXPECT_EQ(device_->ReadLine(), "\x01+ S~* @-#Y3$\r");
  device_->Write("\x01# Y>\r");
  std::string next;
  do next = device_->ReadLine();
  while (next == "\x01+ S~* @-#Y3$\r");
  EXPECT_EQ(next, "\x01#!X>\r");
  Replay({{"\x01#!Y?\r", "\x01.\"DEmpty Stack[\r"},
          {"\x01#\"Y@\r", "\x01##ZB\r"},
          {"\x01##YA\r", "\x01#$B+\r"}});
  // A request right after the last ACK is lost while the server goes idle.
  device_->Write("\x01#$YB\r");
  device_->Write("\x01( CCLEARU\r");
  // Idle NAKs come at irregular times.
  std::vector<long long> gaps;
  auto last = std::chrono::steady_clock::now();
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(device_->ReadLine(std::chrono::seconds(3)), "\x01# N3\r");
    const auto now = std::chrono::steady_clock::now();
    gaps.push_back(std::chrono::duration_cast<std::chrono::milliseconds>(now - last).count());
    last = now;
  }
  EXPECT_GT(*std::max_element(gaps.begin(), gaps.end()) - *std::min_element(gaps.begin(), gaps.end()),
            20);
  EXPECT_GT(server_->RequestsLostGoingIdle(), 0u);
}

// group_G_cancel.txt, G1: an upload ended by an E gets no answer, and an I
// in the first half second after it is lost for good; one sent 2 s after it
// is answered.
TEST_F(KermitServerTest, AfterAnErrorPacketTheNextRequestIsLostAtFirst) {
  using testing::KermitPeer;
  Replay({{KermitPeer::Build('S', 0, "~* @-#Y1", 1), "\x01+ Y~& @-# 1*\r"},
          {KermitPeer::Build('F', 1, "UP", 1), "\x01%!YUP%\r"}});
  const auto error_at = std::chrono::steady_clock::now();
  device_->Write(KermitPeer::Build('E', 2, "Cancelled", 1));
  std::this_thread::sleep_until(error_at + std::chrono::milliseconds(500));
  device_->Write(KermitPeer::Build('I', 0, "~* @-#Y1", 1));
  EXPECT_EQ(device_->ReadLine(std::chrono::milliseconds(1400)), "");
  std::this_thread::sleep_until(error_at + std::chrono::seconds(2));
  EXPECT_EQ(Ask(KermitPeer::Build('I', 0, "~* @-#Y1", 1)), "\x01+ Y~& @-# 1*\r");
  EXPECT_EQ(memory_.stored.count("UP"), 0u);
}

TEST_F(KermitServerTest, FinishLeavesTheServer) {
  EXPECT_EQ(Ask("\x01$ GF4\r"), "\x01# Y>\r");
  for (int i = 0; i < 100 && !finished_; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_TRUE(finished_);
}

}  // namespace
}  // namespace dravik::sim
