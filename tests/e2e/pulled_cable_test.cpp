// A cable pulled in the middle of a transfer: the device disappears (the
// simulated calculator closes its pseudo-terminal). The transfer must
// report failure within the link's time-outs, leave no half file and not
// crash; once a device is back, the next operation works.
#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <thread>

#include "recording_window.h"
#include "link/hp48_link.h"
#include "scratch_folder.h"
#include "simulated_hp48.h"

namespace dravik::testing {
namespace {

using Clock = std::chrono::steady_clock;

sim::SimOptions SlowLine() {
  sim::SimOptions options;
  options.baud = 9600;  // 960 bytes/s: a 20 KB object takes about 20 s
  options.kermit.idle_nak_seconds = 0;
  return options;
}

// A calculator holding a 20,000-character string in HOME as BIG.
sim::Calculator WithBigString() {
  sim::Calculator calc;
  calc.RunCommandLine("\"" + std::string(20000, 'x') + "\" 'BIG' STO");
  calc.RunCommandLine("-35 SF");
  return calc;
}

struct LinkUnderTest {
  Session session;
  RecordingWindow window;
  std::unique_ptr<CHP48Link> link;
  explicit LinkUnderTest(const std::string& device, const std::string& folder) {
    session.PortDevices[0] = device;
    session.CurrentPCFolder = folder;
    session.MainWindow = &window;
    window.settings_answer = true;
    link = std::make_unique<CHP48Link>(session);
  }
};

TEST(PulledCable, ReceiveFailsInTimeAndLeavesNoHalfFile) {
  ScratchFolder folder;
  auto hp48 = std::make_unique<sim::SimulatedHp48>(WithBigString(), SlowLine());
  ASSERT_TRUE(hp48->Start());
  LinkUnderTest t(hp48->device(), folder.path());
  ASSERT_TRUE(t.link->Open());

  std::thread puller([&] {
    std::this_thread::sleep_for(std::chrono::seconds(3));
    hp48.reset();  // the device is gone
  });
  const auto start = Clock::now();
  EXPECT_EQ(t.link->ReceiveFiles({"BIG"}), 0);
  const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
  puller.join();
  // One read and six retransmissions, each bounded by the calculator's TIME
  // (10 s), after the three seconds of transfer.
  EXPECT_LT(seconds, 3 + 7 * 10 + 5);
  EXPECT_TRUE(folder.Names().empty());
  EXPECT_GE(t.window.messages().size(), 1u);

  // The device comes back (under a new name, as a re-plugged adapter may);
  // the slot is pointed at it and the next operation works without anyone
  // reopening the port by hand.
  hp48 = std::make_unique<sim::SimulatedHp48>(WithBigString(), sim::SimOptions{});
  ASSERT_TRUE(hp48->Start());
  t.session.PortDevices[0] = hp48->device();
  EXPECT_EQ(t.link->ReceiveFiles({"BIG"}), 1);

  ASSERT_EQ(folder.Names().size(), 1u);
  EXPECT_EQ(ReadBytes(folder / "BIG").size(), 8u + (10 + 2 * 20000) / 2);
}

TEST(PulledCable, SendFailsInTime) {
  ScratchFolder outgoing, folder;
  WriteBytes(outgoing / "DATA", std::vector<uint8_t>(20000, 'y'));
  auto hp48 = std::make_unique<sim::SimulatedHp48>(sim::Calculator(), SlowLine());
  ASSERT_TRUE(hp48->Start());
  LinkUnderTest t(hp48->device(), folder.path());
  ASSERT_TRUE(t.link->Open());

  std::thread puller([&] {
    std::this_thread::sleep_for(std::chrono::seconds(3));
    hp48.reset();
  });
  const auto start = Clock::now();
  EXPECT_EQ(t.link->SendFiles({outgoing / "DATA"}), 0);
  const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
  puller.join();
  EXPECT_LT(seconds, 3 + 7 * 13 + 5);

  // With binary transfers on, a file without a header is stored as a string.
  sim::Calculator binary;
  binary.RunCommandLine("-35 SF");
  hp48 = std::make_unique<sim::SimulatedHp48>(std::move(binary), sim::SimOptions{});
  ASSERT_TRUE(hp48->Start());
  t.session.PortDevices[0] = hp48->device();
  EXPECT_EQ(t.link->SendFiles({outgoing / "DATA"}), 1);
  EXPECT_EQ(
      hp48->WithCalculator([](sim::Calculator& c) { return c.TypeOf("HOME\\", "DATA"); }),
      "String");
}

}  // namespace
}  // namespace dravik::testing
