// The Kermit link against C-Kermit as server, over pseudo-terminals.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <random>

#include "ckermit_server.h"
#include "recording_window.h"
#include "link/hp48_link.h"
#include "scratch_folder.h"

namespace dravik::testing {
namespace {

std::vector<uint8_t> Bytes(const std::string& s) { return {s.begin(), s.end()}; }

// The files every block check must carry unchanged.
std::vector<std::pair<std::string, std::vector<uint8_t>>> SampleFiles() {
  std::vector<uint8_t> all(256);
  for (int i = 0; i < 256; ++i) all[static_cast<size_t>(i)] = static_cast<uint8_t>(i);
  std::vector<uint8_t> random(100 * 1024);
  std::mt19937 rng(2026);
  for (uint8_t& b : random) b = static_cast<uint8_t>(rng());
  std::vector<uint8_t> tildes(3000, '~');
  tildes.push_back('x');
  std::vector<uint8_t> zeros(3000, 0);
  return {{"empty", {}},
          {"one", {'7'}},
          {"text.txt", Bytes("line one\r\nline ~two~\r\n\r\n#&\r\n")},
          {"all256", all},
          {"tildes", tildes},
          {"zeros", zeros},
          {"random", random}};
}

class CKermitInterop : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!CKermitServer::Available()) GTEST_SKIP() << "kermit is not installed";
    ::mkdir((scratch_ / "server").c_str(), 0755);
    ::mkdir((scratch_ / "client").c_str(), 0755);
    server_ = std::make_unique<CKermitServer>(scratch_ / "server");
    ASSERT_TRUE(server_->started());
    session_.PortDevices[0] = server_->device();
    session_.Settings.PortNumber = 1;
    session_.MainWindow = &window_;
    session_.CurrentPCFolder = scratch_ / "client/";
    link_ = std::make_unique<CHP48Link>(session_);
    link_->m_timeout = 5;
    ASSERT_TRUE(link_->Open());
  }
  void TearDown() override {
    if (link_) link_->CloseAll();
  }

  ScratchFolder scratch_;
  std::unique_ptr<CKermitServer> server_;
  Session session_;
  RecordingWindow window_;
  std::unique_ptr<CHP48Link> link_;
};

class CKermitRoundTrip : public CKermitInterop, public ::testing::WithParamInterface<int> {};

TEST_P(CKermitRoundTrip, SendAndGetBackByteForByte) {
  const int check = GetParam();
  link_->m_agreedCheck = check;
  auto files = SampleFiles();
  ::mkdir((scratch_ / "out").c_str(), 0755);
  std::vector<std::string> paths, names;
  for (auto& [name, bytes] : files) {
    paths.push_back(scratch_ / ("out/" + name));
    names.push_back(name);
    WriteBytes(paths.back(), bytes);
  }
  ASSERT_EQ(link_->SendFiles(paths), 1);
  EXPECT_EQ(link_->m_agreedCheck, check);
  for (auto& [name, bytes] : files)
    EXPECT_EQ(ReadBytes(scratch_ / ("server/" + name)), bytes) << name << " on the server";

  link_->m_agreedCheck = check;
  ASSERT_EQ(link_->ReceiveFiles(names), 1);
  EXPECT_EQ(link_->m_agreedCheck, check);
  for (auto& [name, bytes] : files)
    EXPECT_EQ(ReadBytes(scratch_ / ("client/" + name)), bytes) << name << " received";
  EXPECT_TRUE(window_.messages().empty());
}

INSTANTIATE_TEST_SUITE_P(BlockChecks, CKermitRoundTrip, ::testing::Values(1, 2, 3));

TEST_F(CKermitInterop, DirectoryHostCommandAndFinish) {
  WriteBytes(scratch_ / "server/LISTED", Bytes("x"));
  ASSERT_EQ(link_->ReadDirectory(), 1);
  EXPECT_NE(link_->DirectoryListing.find("LISTED"), std::string::npos) << link_->DirectoryListing;
  EXPECT_FALSE(window_.status_texts().empty());

  ASSERT_EQ(link_->RunHostCommand("echo hello from the host"), 1);
  EXPECT_NE(link_->HostReply.find("hello from the host"), std::string::npos) << link_->HostReply;

  EXPECT_EQ(link_->Finish(), 1);
  EXPECT_TRUE(server_->Wait(10000)) << "the server did not leave server mode";
  EXPECT_TRUE(window_.messages().empty());
}

TEST_F(CKermitInterop, MissingFileReportsTheServersErrorAndLeavesNothing) {
  EXPECT_EQ(link_->ReceiveFiles({"nosuchfile"}), 0);
  ASSERT_EQ(window_.messages().size(), 1u);
  EXPECT_EQ(window_.messages()[0].caption, "Error Message from HP48");
  EXPECT_FALSE(window_.messages()[0].text.empty());
  EXPECT_TRUE(scratch_.Names().size() == 2u);  // only server/ and client/
  EXPECT_EQ(::rmdir((scratch_ / "client").c_str()), 0) << "client folder is not empty";
  // The link is still usable afterwards.
  ::mkdir((scratch_ / "client").c_str(), 0755);
  ASSERT_EQ(link_->RunHostCommand("echo still here"), 1);
}

// A stopped send ends the Kermit way, the file discarded (Z "D") and the
// batch ended (B): C-Kermit takes both and answers the next command. (What
// it got of the file it keeps or not after its own SET FILE INCOMPLETE,
// which keeps binary files by default.)
TEST_F(CKermitInterop, AStoppedSendIsTakenAndTheNextCommandAnswered) {
  const std::string big = scratch_ / "big";
  WriteBytes(big, std::vector<uint8_t>(50000, 'b'));
  ProgressHook stop([&](int code, long bytes) {
    if (code == kProgressBytes && bytes >= 5000) link_->Cancel();
  });
  session_.ProgressWindow = &stop;
  EXPECT_EQ(link_->SendFiles({big}), 0);
  session_.ProgressWindow = nullptr;
  link_->ClearFlags();
  ASSERT_EQ(link_->RunHostCommand("echo still here"), 1);
  EXPECT_NE(link_->HostReply.find("still here"), std::string::npos) << link_->HostReply;
  const std::string kept = scratch_ / "server/big";
  EXPECT_LT(std::filesystem::exists(kept) ? std::filesystem::file_size(kept) : 0, 50000u);
  EXPECT_TRUE(window_.messages().empty());
}

TEST_F(CKermitInterop, SilentPeerEndsInTheNoResponsePath) {
  link_->m_timeout = 1;
  server_->Pause(true);
  auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(link_->RunHostCommand("echo nobody"), 0);
  double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  server_->Pause(false);
  ASSERT_EQ(window_.messages().size(), 1u);
  EXPECT_EQ(window_.messages()[0].caption, "Error");
  EXPECT_EQ(window_.settings_dialogs(), 1);
  EXPECT_TRUE(session_.LinkClosedByUser);
  // One read and six retransmissions, each waiting one time-out.
  EXPECT_GE(seconds, 6.5);
  EXPECT_LT(seconds, 7 * 1 + 10);
}

TEST(CKermitRefusal, AFileTheServerDiscardsIsReportedAsNotKept) {
  if (!CKermitServer::Available()) GTEST_SKIP() << "kermit is not installed";
  ScratchFolder scratch;
  ::mkdir((scratch / "server").c_str(), 0755);
  WriteBytes(scratch / "server/dup", Bytes("old"));
  WriteBytes(scratch / "dup", Bytes(std::string(500, 'n')));
  WriteBytes(scratch / "fresh", Bytes("fresh"));
  CKermitOptions options;
  options.commands = "set file collision discard";
  CKermitServer server(scratch / "server", options);
  ASSERT_TRUE(server.started());
  Session session;
  RecordingWindow window;
  session.PortDevices[0] = server.device();
  session.MainWindow = &window;
  CHP48Link link(session);
  link.m_timeout = 5;
  ASSERT_TRUE(link.Open());
  EXPECT_EQ(link.SendFiles({scratch / "dup", scratch / "fresh"}), 0);
  ASSERT_EQ(link.StoredNames.size(), 2u);
  EXPECT_EQ(link.StoredNames[0], "");
  ASSERT_EQ(window.messages().size(), 1u);
  EXPECT_EQ(window.messages()[0].text, "dup was refused by the receiver and not kept.");
  EXPECT_EQ(ReadBytes(scratch / "server/dup"), Bytes("old"));
  EXPECT_EQ(ReadBytes(scratch / "server/fresh"), Bytes("fresh"));
}

// dravik-cli against the same server: exit codes and output.
int RunCli(const std::string& args, std::string* out = nullptr) {
  const char* dir = std::getenv("DRAVIK_BINARY_DIR");
  std::string cli = std::string(dir ? dir : ".") + "/dravik-cli";
  std::string command =
      cli + " -q " + args + (args.find("2>&1") == std::string::npos ? " 2>/dev/null" : "");
  FILE* p = ::popen(command.c_str(), "r");
  if (!p) return -1;
  std::string text;
  char buf[512];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) text.append(buf, n);
  int status = ::pclose(p);
  if (out) *out = text;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST_F(CKermitInterop, CliCommands) {
  link_->CloseAll();  // the CLI takes the port
  const std::string dev = "--device " + server_->device();
  WriteBytes(scratch_ / "up.bin", Bytes("\x01\x02~~~\r\n"));
  EXPECT_EQ(RunCli(dev + " --check 3 send " + (scratch_ / "up.bin")), 0);
  EXPECT_EQ(ReadBytes(scratch_ / "server/up.bin"), Bytes("\x01\x02~~~\r\n"));
  EXPECT_EQ(RunCli(dev + " -C " + (scratch_ / "client") + " get up.bin"), 0);
  EXPECT_EQ(ReadBytes(scratch_ / "client/up.bin"), Bytes("\x01\x02~~~\r\n"));
  EXPECT_NE(RunCli(dev + " -C " + (scratch_ / "client") + " get nosuch"), 0);
  std::string out;
  EXPECT_EQ(RunCli(dev + " dir", &out), 0);
  EXPECT_NE(out.find("up.bin"), std::string::npos) << out;
  EXPECT_EQ(RunCli(dev + " host echo cli says hi", &out), 0);
  EXPECT_NE(out.find("cli says hi"), std::string::npos) << out;
  EXPECT_NE(RunCli(dev + " send " + (scratch_ / "missing")), 0);
  // An object in the calculator's binary form arrives intact; a server that
  // is not a calculator lists no checksum to compare it with.
  WriteBytes(scratch_ / "R", Bytes(std::string("HPHP48-R3)\0\0\0\0\0\0\0\x15\0", 19)));
  EXPECT_EQ(RunCli(dev + " send " + (scratch_ / "R") + " 2>&1", &out), 0) << out;
  EXPECT_EQ(out, "\rAttention: R was not checked: the server is not a calculator and lists no "
                 "checksum.\n");
  EXPECT_EQ(ReadBytes(scratch_ / "server/R"), ReadBytes(scratch_ / "R"));
  EXPECT_EQ(RunCli(dev + " finish"), 0);
  EXPECT_TRUE(server_->Wait(10000));
  EXPECT_NE(RunCli("--device " + (scratch_ / "no-such-device") + " dir"), 0);
}

}  // namespace
}  // namespace dravik::testing
