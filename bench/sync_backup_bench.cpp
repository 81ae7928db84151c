// The incremental backup of the simulated HP48's demo memory: time and
// bytes on the line for a first backup into an empty folder and for a
// second one right after it, which should move only the listings (the goal
// is at most a tenth of the first one's bytes). Prints figures; not a test.
//
// Bytes are counted from the packets the link reports to its trace: each
// Kermit packet's data field plus its mark, length, sequence, type, block
// check and end of line.
#include <atomic>
#include <chrono>
#include <cstdio>
#include <string>

#include "link/hp48_link.h"
#include "link/packet_trace.h"
#include "recording_window.h"
#include "scratch_folder.h"
#include "simulated_hp48.h"
#include "sync/synchronize.h"

using namespace dravik;

namespace {

class CountingTrace : public PacketTrace {
 public:
  void KermitPacket(TraceDirection, int, int, std::string_view data) override {
    // MARK LEN SEQ TYPE, at most three block-check characters, EOL.
    bytes += data.size() + 8;
    ++packets;
  }
  void KermitBadLine(std::string_view line) override { bytes += line.size(); }
  void KermitSilence(int) override {}
  void KermitStopped() override {}
  void XModemSent(std::string_view sent) override { bytes += sent.size(); }
  void XModemReceived(uint8_t) override { ++bytes; }
  void XModemSilence(int) override {}
  void XModemStopped() override {}
  std::atomic<long> bytes{0};
  std::atomic<long> packets{0};
};

struct Figures {
  double seconds = 0;
  long bytes = 0;
  long packets = 0;
  size_t fetched = 0;
  bool ok = false;
};

Figures MeasureBackup(CHP48Link& link, CountingTrace& trace, const std::string& folder) {
  trace.bytes = 0;
  trace.packets = 0;
  const auto start = std::chrono::steady_clock::now();
  const sync::SyncOutcome outcome = sync::Backup(link, folder, {});
  Figures f;
  f.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  f.bytes = trace.bytes;
  f.packets = trace.packets;
  f.fetched = outcome.report.fetched;
  f.ok = outcome.ran && outcome.report.ok();
  return f;
}

void Print(const char* label, const Figures& f) {
  std::printf("%-16s %s  %5.2f s  %7ld bytes  %5ld packets  %3zu objects fetched\n", label,
              f.ok ? "ok    " : "FAILED", f.seconds, f.bytes, f.packets, f.fetched);
}

}  // namespace

int main() {
  sim::SimOptions options;
  options.kermit.idle_nak_seconds = 0;
  sim::SimulatedHp48 hp(sim::Calculator::Demo(), options);
  std::string error;
  if (!hp.Start(&error)) {
    std::printf("no pseudo-terminal: %s\n", error.c_str());
    return 0;
  }
  Session session;
  testing::RecordingWindow window;
  auto trace = std::make_shared<CountingTrace>();
  session.MainWindow = &window;
  session.PortDevices[0] = hp.device();
  session.Settings.PortNumber = 1;
  CHP48Link link(session);
  link.m_timeout = 5;
  if (!link.Open() || !link.QueryCalculatorState()) {
    std::printf("the simulated calculator did not answer\n");
    return 1;
  }
  session.Trace = trace;
  testing::ScratchFolder folder;
  const Figures first = MeasureBackup(link, *trace, folder.path());
  const Figures second = MeasureBackup(link, *trace, folder.path());
  session.Trace = nullptr;
  Print("first backup", first);
  Print("second backup", second);
  if (first.bytes > 0)
    std::printf("second / first: %.1f%% of the bytes (goal: at most 10%%)\n",
                100.0 * static_cast<double>(second.bytes) / static_cast<double>(first.bytes));
  link.CloseAll();
  hp.Stop();
  return 0;
}
