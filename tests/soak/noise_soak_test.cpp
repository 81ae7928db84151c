// Noisy-line soak: Kermit send-and-get round trips of mixed sizes through a
// line that flips, drops and doubles bytes. Every round trip must end either
// byte-identical or with a failure the link reported and no file left
// behind; a round trip that reports success with other bytes is silent
// corruption, the one thing that must never happen.
//
// Bounded in count and time: DRAVIK_SOAK_TRIPS round trips per noise rate
// (default 200) and DRAVIK_SOAK_SECONDS per peer (default 240); the counts
// are printed.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "ckermit_server.h"
#include "recording_window.h"
#include "link/hp48_link.h"
#include "link/transfer_check.h"
#include "scratch_folder.h"
#include "simulated_hp48.h"

namespace dravik::testing {
namespace {

using Clock = std::chrono::steady_clock;

int EnvInt(const char* name, int fallback) {
  const char* v = std::getenv(name);
  return v && *v ? std::atoi(v) : fallback;
}

struct SoakCounts {
  int identical = 0;
  int reported = 0;     // a failure the link reported, no half file left behind
  int half_files = 0;   // a failure that left a file behind
  int corrupted = 0;    // reported success, other bytes
  int total() const { return identical + reported + half_files + corrupted; }
};

// File contents: half of them text with CR LF line ends, half arbitrary
// bytes; sizes spread from 0 to 64 KiB, most of them small.
std::vector<uint8_t> MakeContent(std::mt19937& rng) {
  std::uniform_int_distribution<int> bits(0, 16);
  size_t size = static_cast<size_t>(std::uniform_int_distribution<int>(0, (1 << bits(rng)))(rng));
  std::vector<uint8_t> out(size);
  if (rng() % 2) {
    static const char kText[] = "Dravik soak line, 0123456789 ~~~ ###\r\n";
    for (size_t i = 0; i < size; ++i) out[i] = static_cast<uint8_t>(kText[(i + rng() % 3) % (sizeof kText - 1)]);
  } else {
    for (auto& b : out) b = static_cast<uint8_t>(rng());
  }
  return out;
}

// The calculator's binary transfer form of a string holding the bytes:
// "HPHP48-R", the string prolog 02A2C, the 5-nibble length (which counts
// itself) and two nibbles a byte, low nibble first.
std::vector<uint8_t> AsBinaryString(const std::vector<uint8_t>& bytes) {
  std::string head = "HPHP48-R";
  std::vector<uint8_t> out(head.begin(), head.end());
  uint32_t length = 5 + 2 * static_cast<uint32_t>(bytes.size());
  out.push_back(0x2C);
  out.push_back(0x2A);
  out.push_back(static_cast<uint8_t>((length & 0xF) << 4));
  out.push_back(static_cast<uint8_t>((length >> 4) & 0xFF));
  out.push_back(static_cast<uint8_t>((length >> 12) & 0xFF));
  out.insert(out.end(), bytes.begin(), bytes.end());
  return out;
}

class Soak {
 public:
  Soak(std::string device, std::string title, bool verify)
      : title_(std::move(title)), verify_(verify) {
    session_.PortDevices[0] = std::move(device);
    session_.Settings.PortNumber = 1;
    session_.MainWindow = &window_;
    // After a no-response message the settings dialog ends with OK: the
    // link reopens the port and the next round trip goes on.
    window_.settings_answer = true;
    session_.CurrentPCFolder = received_.path();
    link_ = std::make_unique<CHP48Link>(session_);
    opened_ = link_->Open() != 0;
  }

  bool opened() const { return opened_; }

  // One round trip: send the file, get it back, compare.
  void RoundTrip(const std::string& name, const std::vector<uint8_t>& content, int check,
                 SoakCounts& counts) {
    const std::string sent_path = outgoing_ / name;
    WriteBytes(sent_path, content);
    if (!link_->IsOpen()) link_->Open();
    link_->m_agreedCheck = check;
    bool ok = link_->SendFiles({sent_path}) != 0;
    // Sums (block checks 1 and 2) miss errors that cancel out; what went
    // over is compared with the calculator's own checksum.
    if (ok && verify_) ok = CheckSentObjects(*link_, {sent_path}) != 0;
    if (ok) {
      link_->m_agreedCheck = check;
      ok = link_->ReceiveFiles({name}) != 0;
      if (ok && verify_) ok = CheckReceivedObjects(*link_) != 0;
    }
    std::vector<std::string> left = received_.Names();
    if (!ok) {
      // A failure may come after the whole object arrived (the end of the
      // transaction was lost); a file left then must be complete.
      if (left.empty() || (left.size() == 1 && ReadBytes(received_ / left[0]) == content)) {
        ++counts.reported;
      } else {
        ++counts.half_files;
        ADD_FAILURE() << title_ << ": failed round trip of " << name << " left " << left[0];
      }
    } else if (left.size() == 1 && ReadBytes(received_ / left[0]) == content) {
      ++counts.identical;
    } else {
      ++counts.corrupted;
      // Where it differs tells which guard let it through.
      std::string what = std::to_string(left.size()) + " files left";
      if (left.size() == 1) {
        const std::vector<uint8_t> got = ReadBytes(received_ / left[0]);
        size_t at = 0;
        while (at < got.size() && at < content.size() && got[at] == content[at]) ++at;
        what = "got " + std::to_string(got.size()) + " bytes, first difference at " +
               std::to_string(at);
      }
      ADD_FAILURE() << title_ << ": silent corruption of " << name << " (" << content.size()
                    << " bytes, block check " << check << "; " << what << ")";
    }
    for (const std::string& n : left) std::filesystem::remove(received_ / n);
    std::filesystem::remove(sent_path);
  }

 private:
  std::string title_;
  bool verify_;
  ScratchFolder outgoing_;
  ScratchFolder received_;
  Session session_;
  RecordingWindow window_;
  std::unique_ptr<CHP48Link> link_;
  bool opened_ = false;
};

void Print(const char* peer, double rate, const SoakCounts& c, double seconds) {
  std::printf("soak %-10s noise 1/%-5.0f trips %3d  identical %3d  reported failures %3d  "
              "half files %d  silent corruption %d  (%.0f s)\n",
              peer, 1 / rate, c.total(), c.identical, c.reported, c.half_files, c.corrupted,
              seconds);
  std::fflush(stdout);
}

TEST(NoiseSoak, SimulatedCalculatorNeverGarblesAFile) {
  const int trips = EnvInt("DRAVIK_SOAK_TRIPS", 200);
  // Each noise rate gets half of the time.
  const auto per_rate = std::chrono::seconds(EnvInt("DRAVIK_SOAK_SECONDS", 240) / 2);
  sim::SimOptions options;
  // A lost byte costs a second, not ten, on both sides.
  options.kermit.time_override = 1;
  options.kermit.advertised_time = 1;
  // The real calculator's habits (on by default): its S repeated until
  // acknowledged, idle NAKs at irregular times, input lost while it goes
  // back to idle.
  options.kermit.idle_nak_seconds = 1;
  sim::SimulatedHp48 hp48(sim::Calculator(), options);
  ASSERT_TRUE(hp48.Start());
  // Binary transfers: a variable comes back in the form it was sent.
  hp48.WithCalculator([](sim::Calculator& c) { return c.RunCommandLine("-35 SF"); });
  Soak soak(hp48.device(), "simulated HP48", /*verify=*/true);
  ASSERT_TRUE(soak.opened());

  std::mt19937 rng(4711);
  int serial = 0;
  for (double rate : {1.0 / 1000, 1.0 / 100}) {
    hp48.SetNoise(rate, static_cast<uint32_t>(rng()));
    SoakCounts counts;
    const auto start = Clock::now();
    const auto deadline = start + per_rate;
    for (int i = 0; i < trips && Clock::now() < deadline; ++i) {
      std::string name = "S" + std::to_string(serial++);
      soak.RoundTrip(name, AsBinaryString(MakeContent(rng)), 1 + i % 3, counts);
      // Whatever the calculator stored, the next round trip starts clean.
      hp48.WithCalculator(
          [&](sim::Calculator& c) { return c.RunCommandLine("{ " + name + " " + name + ".1 } PURGE"); });
    }
    Print("HP48", rate, counts, std::chrono::duration<double>(Clock::now() - start).count());
    EXPECT_EQ(counts.corrupted, 0);
    EXPECT_EQ(counts.half_files, 0);
  }
  std::printf("soak HP48       requests lost while the calculator went back to idle: %llu\n",
              static_cast<unsigned long long>(hp48.RequestsLostGoingIdle()));
}

// The same through a noisy line to C-Kermit as the server. A plain Kermit
// peer keeps no checksum of what it stores, so nothing but the block check
// guards the data: these round trips use the CRC (type 3). The sums of
// types 1 and 2 cannot tell errors that cancel out, and no peer-side
// check can stand in for them here as the calculator's checksum does.
TEST(NoiseSoak, CKermitServerNeverGarblesAFile) {
  if (!CKermitServer::Available()) GTEST_SKIP() << "C-Kermit is not installed";
  const int trips = EnvInt("DRAVIK_SOAK_TRIPS", 200);
  const auto per_rate = std::chrono::seconds(EnvInt("DRAVIK_SOAK_SECONDS", 240) / 2);
  std::mt19937 rng(1174);
  int serial = 0;
  for (double rate : {1.0 / 1000, 1.0 / 100}) {
    ScratchFolder served;
    CKermitOptions options;
    // Lost packets cost a second on both sides.
    options.commands = "set receive timeout 1, set send timeout 1 fixed";
    options.noise = rate;
    options.seed = static_cast<uint32_t>(rng());
    CKermitServer server(served.path(), options);
    ASSERT_TRUE(server.started());
    Soak soak(server.device(), "C-Kermit", /*verify=*/false);
    ASSERT_TRUE(soak.opened());
    SoakCounts counts;
    const auto start = Clock::now();
    const auto deadline = start + per_rate;
    for (int i = 0; i < trips && Clock::now() < deadline; ++i)
      soak.RoundTrip("K" + std::to_string(serial++), MakeContent(rng), 3, counts);
    Print("C-Kermit", rate, counts, std::chrono::duration<double>(Clock::now() - start).count());
    EXPECT_EQ(counts.corrupted, 0);
    EXPECT_EQ(counts.half_files, 0);
  }
}

}  // namespace
}  // namespace dravik::testing
