// What this run did with the calculator, one entry per job and per
// calculator operation: when it started, what it was, how many bytes it
// moved, how long it took, how it ended and what the comparison with the
// calculator's checksums found. The window shows the entries in its log pane
// and saves them as text; dravik-cli keeps no log (Session::Log stays null).
//
// The operations open an entry with LoggedOperation at their start. An
// operation that runs inside another one (the listing read to check a
// transfer, the PATH check before a purge) opens none of its own: its bytes
// and its error go to the entry that is open. There is one serial line, so
// one operation runs at a time, on whichever thread. Safe to use from any
// thread.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace dravik {

// Stopped: the user stopped it with Stop while it ran.
enum class LogOutcome { Done, Failed, Cancelled, Skipped, Stopped };

// What the comparison of one object with the calculator's listing found.
enum class ObjectCheckNote {
  Match,      // size and checksum as the calculator lists them
  Mismatch,   // garbled: the checksum differs
  NotListed,  // the calculator does not list it after the transfer
  Unchecked,  // no listing to compare with (not a calculator, or not readable)
};

struct LogEntry {
  std::chrono::system_clock::time_point started{};
  std::string what;                       // "Send GAME, PICT (Kermit)"
  int64_t bytes = -1;                     // -1: nothing to count
  std::chrono::milliseconds duration{0};
  LogOutcome outcome = LogOutcome::Done;
  std::string reason;                     // the first error shown meanwhile, one line
  std::string check;                      // what the checksum comparison found; empty: none
  bool checkFailed = false;               // an object was garbled or missing

  // The entry must catch the eye: the operation failed or an object did not
  // arrive intact.
  bool Failed() const { return outcome == LogOutcome::Failed || checkFailed; }
};

class OperationLog {
 public:
  // Called with each entry as it is finished, on the thread that finished
  // it, while the log is locked: it must only hand the entry on (a queued
  // call), never call back into the log. Null to stop.
  using Listener = std::function<void(const LogEntry&)>;
  void SetListener(Listener listener);

  // Opens an entry, or, while one is open, counts a nested operation.
  void Begin(std::string what);
  // Ends the innermost operation; the outermost one finishes the entry.
  void End(LogOutcome outcome);

  // The user stopped the operation that is open: unless it ends done or
  // skipped, it ends as stopped (nothing happens when none is open).
  void NoteStopped();

  // Add to the open entry (nothing happens when none is open).
  void AddBytes(int64_t bytes);
  void SetBytes(int64_t bytes);  // replaces what the nested operations added
  void NoteError(std::string_view text);
  void NoteCheck(std::string_view name, ObjectCheckNote note);

  std::vector<LogEntry> Entries() const;
  // The whole log as text, one line per entry (LogLine).
  std::string Text() const;

 private:
  mutable std::mutex mutex_;
  Listener listener_;
  std::vector<LogEntry> entries_;
  int depth_ = 0;
  LogEntry open_;
  bool stopped_ = false;             // Stop came while the entry was open
  std::chrono::steady_clock::time_point openedAt_{};
  int matched_ = 0;                  // objects whose checksum matched
  std::vector<std::string> checks_;  // the objects that did not, with why
};

// One operation's stay in the log: opens it (when log is set) and ends it as
// Failed unless Result or End said otherwise first.
class LoggedOperation {
 public:
  LoggedOperation(OperationLog* log, std::string what);
  ~LoggedOperation();
  LoggedOperation(const LoggedOperation&) = delete;
  LoggedOperation& operator=(const LoggedOperation&) = delete;

  // Ends the operation after a link result: nonzero Done, 0 Failed (or
  // Cancelled when the user asked for it). Returns result.
  int Result(int result, bool cancelled = false);
  void End(LogOutcome outcome);

 private:
  OperationLog* log_;
  bool ended_ = false;
};

// Runs body, which returns a link result (nonzero for success), as one
// logged operation.
template <typename Body>
int Logged(OperationLog* log, std::string what, Body&& body) {
  LoggedOperation op(log, std::move(what));
  return op.Result(body());
}

// Names for an entry's text: "A, B and C", or "A, B, C, D and 3 more".
std::string NamesForLog(const std::vector<std::string>& names);

// "done", "FAILED", "cancelled", "skipped", "stopped".
const char* OutcomeWord(LogOutcome outcome);
// The entry's time of day ("14:03:07"), bytes ("4120 bytes", empty for
// none) and duration ("0.4 s", "12 s", "2 min 5 s").
std::string LogTime(const LogEntry& entry);
std::string LogBytes(const LogEntry& entry);
std::string LogDuration(const LogEntry& entry);
// The outcome with the reason of a failure: "FAILED: No response from HP48".
std::string LogOutcomeText(const LogEntry& entry);
// One line of the saved log:
//   14:03:07  Send GAME (Kermit)  4120 bytes  1.3 s  done  checksum matches
std::string LogLine(const LogEntry& entry);

}  // namespace dravik
