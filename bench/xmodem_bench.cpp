// Throughput of XModem over a pseudo-terminal: Dravik sending 64 KiB to rx
// and receiving 64 KiB from sx, and lrzsz sending to itself (sx to rx) over
// the same kind of link. Prints bytes per second and Dravik's ratio to lrzsz.
//
// Each figure is the best of a few runs, timed from the start of the
// transfer to its end on our side. rx waits about a second after EOT before
// it answers, so every transfer that rx receives carries that second.
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "link/xmodem_link.h"
#include "lrzsz_peer.h"
#include "pty_pair.h"
#include "scratch_folder.h"

using namespace dravik;
using namespace dravik::testing;
using Clock = std::chrono::steady_clock;

namespace {

constexpr size_t kSize = 64 * 1024;
constexpr int kRuns = 3;

class QuietWindow : public MainWindowHandle {
 public:
  MessageAnswer ShowMessage(std::string_view text, std::string_view, MessageIcon,
                            MessageButtons) override {
    std::fprintf(stderr, "message: %.*s\n", static_cast<int>(text.size()), text.data());
    return MessageAnswer::Ok;
  }
  SettingsAnswer RunCommSettingsDialog(LinkSettings&) override { return SettingsAnswer::Cancel; }
  void SetStatusText(std::string_view) override {}
  void SetWaitCursor(bool) override {}
};

double Seconds(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

// One transfer between our link and an lrzsz program; seconds, or -1.
double DravikRun(bool send, const ScratchFolder& folder, int run) {
  PtyPair pty;
  Session session;
  QuietWindow window;
  session.Settings.PortNumber = 1;
  session.PortDevices[0] = pty.device();
  session.CurrentPCFolder = folder.path();
  session.MainWindow = &window;
  CXModemLink link(session);
  if (!link.Open()) return -1;
  std::string out = "out" + std::to_string(run) + (send ? "s" : "r");
  std::vector<std::string> argv = send ? std::vector<std::string>{"rx", "-q", "-X", out}
                                       : std::vector<std::string>{"sx", "-q", "-X", "data"};
  Clock::time_point start = Clock::now();
  LrzszPeer peer(pty.master(), argv, folder.path());
  int ok = send ? link.XModemSendList({folder / "data"}) : link.XModemReceiveList({out});
  if (peer.Wait(60000) != 0 || !ok) return -1;
  return Seconds(start);
}

// sx sending to rx, each on one side of a pseudo-terminal pair.
double LrzszRun(const ScratchFolder& folder, int run) {
  PtyPair pty;
  std::string out = "lout" + std::to_string(run);
  Clock::time_point start = Clock::now();
  LrzszPeer rx(pty.master(), {"rx", "-q", "-X", out}, folder.path());
  pid_t sx = ::fork();
  if (sx == 0) {
    int fd = ::open(pty.device().c_str(), O_RDWR | O_NOCTTY);
    ::dup2(fd, 0);
    ::dup2(fd, 1);
    int null = ::open("/dev/null", O_WRONLY);
    ::dup2(null, 2);
    if (::chdir(folder.path().c_str()) != 0) ::_exit(126);
    ::execlp("sx", "sx", "-q", "-X", "data", static_cast<char*>(nullptr));
    ::_exit(127);
  }
  int status = 0;
  ::waitpid(sx, &status, 0);
  int rx_status = rx.Wait(60000);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0 || rx_status != 0) return -1;
  return Seconds(start);
}

template <typename Run>
double Best(const char* what, Run run) {
  double best = -1;
  for (int i = 0; i < kRuns; ++i) {
    double s = run(i);
    std::fprintf(stderr, "%s run %d: %.3f s\n", what, i + 1, s);
    if (s > 0 && (best < 0 || s < best)) best = s;
  }
  return best;
}

void Print(const char* what, double seconds) {
  if (seconds <= 0) std::printf("%-34s failed\n", what);
  else std::printf("%-34s %10.0f bytes/s  (%.3f s)\n", what, kSize / seconds, seconds);
}

}  // namespace

int main() {
  if (!LrzszPeer::Available()) {
    std::printf("lrzsz (sx, rx) is not installed\n");
    return 1;
  }
  ScratchFolder folder;
  std::vector<uint8_t> data(kSize);
  for (size_t i = 0; i < kSize; ++i) data[i] = static_cast<uint8_t>(i * 31 + i / 97);
  WriteBytes(folder / "data", data);

  double send = Best("send", [&](int i) { return DravikRun(true, folder, i); });
  double receive = Best("receive", [&](int i) { return DravikRun(false, folder, i); });
  double lrzsz = Best("lrzsz", [&](int i) { return LrzszRun(folder, i); });
  std::printf("XModem, 64 KiB over a pseudo-terminal, best of %d\n", kRuns);
  Print("Dravik send (to rx)", send);
  Print("Dravik receive (from sx)", receive);
  Print("lrzsz sx to rx", lrzsz);
  if (send > 0 && receive > 0 && lrzsz > 0) {
    std::printf("ratio Dravik/lrzsz: send %.2f, receive %.2f\n", lrzsz / send, lrzsz / receive);
    std::printf("(rx answers EOT about a second late: the send and lrzsz figures carry it,\n"
                " the receive figure does not)\n");
  }
  return 0;
}
