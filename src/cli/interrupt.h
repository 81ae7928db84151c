// Ctrl+C, kill and a closed terminal in dravik-cli: SIGINT, SIGTERM and
// SIGHUP become the cancel of whatever link is running, so that the
// transfer ends as a cancel does (the partial file removed, the calculator
// told with an E packet or CAN, the port closed and its lock released), and
// the command exits with 130.
//
// The handler only stores into lock-free atomics: it is async-signal-safe.
// The engine installs no handler of its own; each link registers its cancel
// flag here while it is in use.
#pragma once

#include <atomic>

namespace dravik::cli {

// Installs the handlers (once, at start) and ignores SIGPIPE, so that a
// closed output pipe is a failed write rather than a kill that skips the
// port's clean-up.
void InstallInterruptHandlers();

// True once one of the signals has arrived.
bool Interrupted();

// Registers a link's cancel flag for as long as the object lives; a signal
// that came before is applied at once.
class InterruptTarget {
 public:
  explicit InterruptTarget(std::atomic<int>& cancel_flag);
  ~InterruptTarget();
  InterruptTarget(const InterruptTarget&) = delete;
  InterruptTarget& operator=(const InterruptTarget&) = delete;

 private:
  int slot_ = -1;
};

// The exit code of a command that a signal ended.
inline constexpr int kInterruptedExit = 130;

}  // namespace dravik::cli
