// The one thread that owns the serial line. It holds the link's own session,
// the Kermit link and the XModem link, and runs the operations asked of it
// one at a time, in the order asked. Nothing else reads or writes the line.
//
// An operation is a function run on the link thread with the line side
// (session and both links). What the asker knew when it asked - the
// calculator directory it acts in, the PC folder files go to, the items of a
// job - travels with it as a LineRequest, so a window that moved on
// meanwhile does not change where a queued operation acts. Results go back
// as values: the operation itself hands them to whoever asked (a window
// queues them to its own thread).
//
// Stop ends the running operation at its next check: both links' cancel
// flags are set, every wait on the line ends within a slice of its read,
// and the protocol sends the Kermit error packet or the XModem cancel as a
// cancelled transfer does.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "link/hp48_link.h"
#include "link/session.h"
#include "link/xmodem_link.h"

namespace dravik {

struct LinkThreadCore;

// What an operation works with, on the link thread.
struct LineSide {
  Session& session;
  CHP48Link& kermit;
  CXModemLink& xmodem;
  const LinkThreadCore& core;
  uint64_t id;  // the operation's own
  // The user asked to stop this operation, or to skip (part of) its job.
  bool StopAsked() const;
  bool SkipAsked() const;
};

// What the asker knew when it asked: applied to the link's session before
// the operation runs.
struct LineRequest {
  std::string CurrentHPPath = "HOME\\";  // the calculator directory it acts in
  std::string CurrentPCFolder;           // where received files go
  TransferJob Job;                       // the items of a file job
};

// What the line leaves behind after an operation, for the asker's copy of
// the session: where the calculator is, its transfer format and settings as
// the connection check read them, whether the user gave up the line, and
// the port.
struct LineState {
  std::string HPWorkingPath;
  bool BinaryMode = false;
  const CalculatorModel* Model = nullptr;
  std::optional<CalculatorLeftovers> Leftovers;
  LinkSettings Settings;
  bool LinkClosedByUser = false;
  std::string DevicePath;
  bool PortOpen = false;
};

// The state of the line's queue, as a value.
struct LineQueue {
  uint64_t runningId = 0;          // 0: nothing runs
  std::string running;             // what runs ("Reading HOME\GAMES\")
  std::vector<std::pair<uint64_t, std::string>> waiting;  // in order
  bool Idle() const { return runningId == 0 && waiting.empty(); }
};

// The state the line is in, taken on the link thread after an operation.
LineState StateOf(const LineSide& side);

class LinkThread {
 public:
  using Work = std::function<void(LineSide&)>;

  // window: the owner of the message boxes and the settings dialog, called
  // from the link thread (it must run them on its own thread and block the
  // caller meanwhile, and answer at once once nobody is there to). log: where
  // the operations note what they did. changed: called on the link thread
  // whenever an operation starts or ends; it must not block. The thread
  // shares the window, the log and what changed holds: they live as long
  // as it does, also when it is left to end on its own.
  LinkThread(std::shared_ptr<MainWindowHandle> window, std::shared_ptr<OperationLog> log,
             std::function<void()> changed);
  // Stops what runs, drops what waits and waits a few seconds for the
  // thread (see Shutdown), unless it was left to end on its own already.
  ~LinkThread();
  LinkThread(const LinkThread&) = delete;
  LinkThread& operator=(const LinkThread&) = delete;

  // Queues an operation; its id. Safe from any thread.
  uint64_t Post(std::string what, LineRequest request, Work work);
  // Takes a waiting operation out of the queue; false when it runs already
  // or is over. Its work never runs.
  bool Withdraw(uint64_t id);
  // Ends the running operation at its next check (nothing when none runs).
  void Stop();
  // The user's requests for the running file job, when it is operation id.
  void SkipCurrent(uint64_t id);
  void SkipAll(uint64_t id);
  void Cancel(uint64_t id);
  // Whether the user asked operation id (running or over) to skip or stop.
  bool SkipAsked(uint64_t id) const;
  bool StopAsked(uint64_t id) const;

  LineQueue Queue() const;

  // Drops what waits, stops what runs and waits at most bound for the
  // thread to end. True when it ended (the port is closed and unlocked);
  // false when an operation still runs: the thread is left to end on its
  // own with the objects it uses, which stay alive until then. Called again
  // after that, it tells at once whether the thread has ended since.
  bool Shutdown(std::chrono::milliseconds bound);

 private:
  static void Run(std::shared_ptr<LinkThreadCore> core);

  std::shared_ptr<LinkThreadCore> core_;
  std::thread thread_;
};

}  // namespace dravik
