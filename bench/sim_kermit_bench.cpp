// Kermit throughput of the simulated HP48 with C-Kermit as the client: a
// 5,000-character string fetched with "get" on an unlimited line, at 9600
// baud (960 bytes a second each way), and on a noisy line. Prints the
// effective bytes per second and the faults injected.
#include <chrono>
#include <cstdio>
#include <string>

#include "child_program.h"
#include "scratch_folder.h"
#include "simulated_hp48.h"

using namespace dravik;

namespace {

struct Run {
  const char* label;
  int baud;
  double noise;
};

void Measure(const Run& run) {
  sim::SimOptions options;
  options.baud = run.baud;
  options.noise = run.noise;
  options.seed = 3;
  options.kermit.idle_nak_seconds = 0;
  options.kermit.time_override = 1;
  sim::SimulatedHp48 hp(sim::Calculator(), options);
  if (!hp.Start()) {
    std::printf("%-28s no pseudo-terminal\n", run.label);
    return;
  }
  hp.WithCalculator([](sim::Calculator& c) {
    return c.RunCommandLine("-35 SF \"\" 1 500 START \"0123456789\" + NEXT 'BIG' STO");
  });
  testing::ScratchFolder folder;
  std::string out;
  auto start = std::chrono::steady_clock::now();
  int code = testing::RunProgram(
      {"kermit", "-Y", "-l", hp.device(), "-C",
       "set carrier-watch off, set flow none, set file type binary, set file names literal, "
       "set send timeout 1 fixed, "
       "set retry-limit 40, get BIG, quit"},
      folder.path(), 300000, &out);
  double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  size_t bytes = testing::ReadBytes(folder / "BIG").size();
  sim::FaultCounts faults = hp.OutgoingFaults();
  sim::FaultCounts in = hp.IncomingFaults();
  std::printf("%-28s exit %d, %zu bytes in %.2f s = %.0f bytes/s, faults %llu out %llu in\n",
              run.label, code, bytes, seconds, bytes / seconds,
              static_cast<unsigned long long>(faults.total()),
              static_cast<unsigned long long>(in.total()));
}

}  // namespace

int main() {
  if (!testing::ProgramInPath("kermit")) {
    std::printf("C-Kermit (kermit) is not installed\n");
    return 0;
  }
  Measure({"unlimited line", 0, 0.0});
  Measure({"9600 baud", 9600, 0.0});
  Measure({"9600 baud, 0.1% noise", 9600, 0.001});
  return 0;
}
