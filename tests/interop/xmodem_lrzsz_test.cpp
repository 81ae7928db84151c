// The XModem link against lrzsz: rx receiving with the checksum, sx sending
// once it sees our NAK.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "link/xmodem_link.h"
#include "lrzsz_peer.h"
#include "pty_pair.h"
#include "recording_window.h"
#include "scratch_folder.h"

namespace dravik {
namespace {

using testing::LrzszPeer;
using testing::PtyPair;
using testing::RecordingProgress;
using testing::RecordingWindow;
using testing::ScratchFolder;

constexpr int kPeerWaitMs = 60000;

std::string WriteFile(const ScratchFolder& folder, const std::string& name,
                      const std::vector<uint8_t>& bytes) {
  testing::WriteBytes(folder / name, bytes);
  return folder / name;
}

// Every byte value, the XON/XOFF and XModem control bytes among them.
std::vector<uint8_t> Pattern(size_t size) {
  std::vector<uint8_t> data(size);
  for (size_t i = 0; i < size; ++i) data[i] = static_cast<uint8_t>((i * 37 + i / 256) & 0xFF);
  return data;
}

std::vector<uint8_t> Padded(std::vector<uint8_t> data, uint8_t fill) {
  while (data.size() % 128) data.push_back(fill);
  return data;
}

class XModemLrzszTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!LrzszPeer::Available()) GTEST_SKIP() << "lrzsz (sx, rx) is not installed";
    session.Settings.PortNumber = 1;
    session.PortDevices[0] = pty.device();
    session.CurrentPCFolder = folder.path();
    session.MainWindow = &window;
    session.ProgressWindow = &progress;
  }

  PtyPair pty;
  ScratchFolder folder;
  Session session;
  RecordingWindow window;
  RecordingProgress progress;
};

const std::vector<size_t> kSizes = {0, 1, 127, 128, 129, 256, 300, 40000};

TEST_F(XModemLrzszTest, RxReceivesEveryFileWithZeroFilledLastBlock) {
  for (size_t size : kSizes) {
    SCOPED_TRACE("size " + std::to_string(size));
    std::string name = "in" + std::to_string(size);
    std::string out = "out" + std::to_string(size);
    std::vector<uint8_t> data = Pattern(size);
    std::string path = WriteFile(folder, name, data);
    RecordingWindow quiet;
    session.MainWindow = &quiet;
    // A line of its own: a late answer from the last rx must not reach this
    // transfer.
    PtyPair line;
    session.PortDevices[0] = line.device();
    // The link is listening before rx starts: rx repeats a start NAK that
    // went unseen only after ten seconds.
    CXModemLink link(session);
    ASSERT_TRUE(link.Open());
    LrzszPeer rx(line.master(), {"rx", "-q", "-X", out}, folder.path());
    ASSERT_TRUE(rx.started());
    EXPECT_EQ(link.XModemSendList({path}), 1);
    link.CloseAll();
    EXPECT_EQ(rx.Wait(kPeerWaitMs), 0);
    // 40,000 bytes are 313 blocks: rx checked every number past 255.
    EXPECT_EQ(testing::ReadBytes(folder / out), Padded(data, 0));
    // rx waits a second after EOT before it answers; on a busy machine that
    // can pass our two seconds. Any other message is a fault.
    std::vector<std::string> texts = quiet.texts();
    EXPECT_TRUE(texts.empty() || texts == std::vector<std::string>{"No response from HP"});
    session.MainWindow = &window;
    if (size) {
      EXPECT_EQ(progress.Last(kProgressPackets), static_cast<long>((size + 127) / 128));
    }
  }
}

TEST_F(XModemLrzszTest, SxSendsEveryFileBlockForBlock) {
  for (size_t size : kSizes) {
    SCOPED_TRACE("size " + std::to_string(size));
    std::string name = "in" + std::to_string(size);
    std::vector<uint8_t> data = Pattern(size);
    WriteFile(folder, name, data);
    PtyPair line;
    session.PortDevices[0] = line.device();
    CXModemLink link(session);
    ASSERT_TRUE(link.Open());
    LrzszPeer sx(line.master(), {"sx", "-q", "-X", name}, folder.path());
    ASSERT_TRUE(sx.started());
    std::string got = "got" + std::to_string(size);
    EXPECT_EQ(link.XModemReceiveList({got}), 1);
    link.CloseAll();
    EXPECT_EQ(sx.Wait(kPeerWaitMs), 0);
    // The sender's fill of the last block (sx uses 0x1A) is kept; an empty
    // file (sx answers the first NAK with EOT) arrives empty.
    ASSERT_TRUE(std::filesystem::exists(folder / got));
    EXPECT_EQ(testing::ReadBytes(folder / got), Padded(data, 0x1A));
    EXPECT_TRUE(window.texts().empty());
    long blocks = static_cast<long>((size + 127) / 128);
    EXPECT_EQ(progress.Last(kProgressPackets), blocks);
    if (blocks > 0) {
      EXPECT_EQ(progress.Last(kProgressBytes), blocks * 128);
    }
  }
}

TEST_F(XModemLrzszTest, ListGoesOutAsOneTransferPerFile) {
  std::vector<uint8_t> a = Pattern(200), b = Pattern(700);
  std::vector<std::string> list = {WriteFile(folder, "a", a), WriteFile(folder, "b", b)};
  CXModemLink link(session);
  ASSERT_TRUE(link.Open());
  {
    LrzszPeer rx(pty.master(), {"rx", "-q", "-X", "ra"}, folder.path());
    // rx takes one file; the second one is taken by a second rx that starts
    // once the first has ended, as XRECV starts its next transfer itself.
    std::thread second([&] {
      EXPECT_EQ(rx.Wait(kPeerWaitMs), 0);
      LrzszPeer rx2(pty.master(), {"rx", "-q", "-X", "rb"}, folder.path());
      EXPECT_EQ(rx2.Wait(kPeerWaitMs), 0);
    });
    EXPECT_EQ(link.XModemSendList(list), 1);
    second.join();
  }
  EXPECT_EQ(testing::ReadBytes(folder / "ra"), Padded(a, 0));
  EXPECT_EQ(testing::ReadBytes(folder / "rb"), Padded(b, 0));
  auto posts = progress.posts();
  std::vector<long> items;
  for (auto& p : posts)
    if (p.first == kProgressItem) items.push_back(p.second);
  EXPECT_EQ(items, (std::vector<long>{0, 1}));
}

}  // namespace
}  // namespace dravik
