// CalculatorLine: the window's side of the line's own thread. Every
// operation that talks to the calculator is asked for here; it runs on the
// link thread, one at a time in the order asked, and its result comes back
// to the GUI thread as a value, with the window's copy of the session
// brought up to date first (where the calculator is, its transfer format,
// the settings the connection check read).
//
// The GUI thread never waits for the line: it asks, goes on, and is called
// back. Message boxes and the settings dialog an operation raises appear on
// the GUI thread through the window boundary while the link thread waits;
// when the line closes or shuts down, the boxes still waiting are answered
// as nobody there would answer them.
#pragma once

#include <QObject>
#include <QString>
#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include "app/line_boundary.h"
#include "link/link_thread.h"

namespace dravik {

class CalculatorLine : public QObject {
  Q_OBJECT

 public:
  // session is the window's; log gets the operations' entries (shared with
  // the link thread, which may outlive the line).
  CalculatorLine(Session& session, std::shared_ptr<OperationLog> log, QObject* parent = nullptr);
  ~CalculatorLine() override;

  // Where the line's message boxes, settings dialog and status texts go
  // (the window boundary); null: nowhere.
  void SetWindow(MainWindowHandle* window) { boundary_->SetWindow(window); }

  // Asks for an operation. work runs on the link thread with the line;
  // done (may be empty) runs on the GUI thread with work's result. The
  // request is what the window shows now (RequestHere) unless one is given.
  template <typename R>
  uint64_t Run(std::string what, std::function<R(LineSide&)> work,
               std::function<void(R)> done = {}) {
    return Run<R>(std::move(what), RequestHere(), std::move(work), std::move(done));
  }
  template <typename R>
  uint64_t Run(std::string what, LineRequest request, std::function<R(LineSide&)> work,
               std::function<void(R)> done = {}) {
    auto outbox = outbox_;
    auto wrapped = [outbox, work = std::move(work), done = std::move(done)](LineSide& side) {
      auto result = std::make_shared<R>(work(side));
      const LineState state = StateOf(side);
      outbox->Deliver([result, state, done](CalculatorLine& line) {
        line.TakeState(state);
        if (done) done(std::move(*result));
        line.Delivered();
      });
    };
    return Post(std::move(what), std::move(request), std::move(wrapped));
  }

  // What an operation asked for now would act on: the calculator directory
  // and the PC folder the panes show, and the session's job.
  LineRequest RequestHere() const;

  // Ends the running operation at its next check.
  void Stop();
  // The window closes: nothing more is asked of the line, what waits is
  // dropped, what runs is stopped and its boxes are answered (No, Cancel).
  void Close();
  // Takes a waiting operation out of the queue (its result never comes).
  bool Withdraw(uint64_t id);
  // The user's requests for a running file job.
  void SkipCurrent(uint64_t id);
  void SkipAll(uint64_t id);
  void Cancel(uint64_t id);

  LineQueue Queue() const;
  // Something runs or waits, or a result is still on its way.
  bool Busy() const;
  // What the line does now, for the status bar and tool tips: "Reading
  // HOME\GAMES\", "Sending GAME (Kermit), 2 waiting"; empty when idle.
  QString BusyText() const;

  // The device the link last opened and whether the port is open, as the
  // last operation left them.
  const std::string& DevicePath() const { return devicePath_; }
  bool PortOpen() const { return portOpen_; }

  // Processes events until nothing runs or waits and every result has been
  // delivered, at most timeoutMs; false when the time ran out. For tests
  // and benchmarks, and for closing the window.
  bool Settle(int timeoutMs);
  // Answers the boxes the line waits for, stops what runs, drops what waits
  // and waits at most boundMs for the link thread; true when it ended and
  // gave the port back. False when an operation still runs: it ends on its
  // own, with the log, the trace and a closed boundary still there.
  bool Shutdown(int boundMs);

 signals:
  // The queue changed: an operation was asked for, started or ended.
  void changed();

 private:
  // Carries results from the link thread to the GUI thread; emptied when
  // the line goes, so a thread that outlives it delivers nowhere.
  class Outbox {
   public:
    explicit Outbox(CalculatorLine* line) : line_(line) {}
    void Deliver(std::function<void(CalculatorLine&)> delivery);
    void Close();

   private:
    std::mutex mutex_;
    CalculatorLine* line_;
  };

  uint64_t Post(std::string what, LineRequest request, LinkThread::Work work);
  void TakeState(const LineState& state);
  void Delivered();

  Session& session_;
  // Where the link thread's message boxes go; closed before this goes.
  std::shared_ptr<LineBoundary> boundary_;
  std::shared_ptr<Outbox> outbox_;
  std::unique_ptr<LinkThread> thread_;
  std::atomic<int> underway_{0};  // asked for, result not yet delivered
  bool closed_ = false;
  std::string devicePath_;
  bool portOpen_ = false;
};

}  // namespace dravik
