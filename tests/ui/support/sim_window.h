// A main window connected to a simulated calculator, for window tests: the
// simulator on a pseudo-terminal as COM1, a fresh AppContext, the Qt
// boundary with message boxes answered by the test, the frame with its four
// panes, and the connection check done. Every message box shown is recorded.
#pragma once

#include <QString>
#include <stdexcept>
#include <utility>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/app_context.h"
#include "app/main_frame.h"
#include "app/window_boundary.h"
#include "jobs/transfer_job.h"
#include "scratch_folder.h"
#include "simulated_hp48.h"

namespace dravik::testing {

class SimWindow {
 public:
  // Starts the simulator (with options) and the window; connects unless
  // connect is false. The PC folder is a fresh scratch folder.
  explicit SimWindow(sim::SimOptions options = {}, bool connect = true,
                     sim::Calculator calculator = sim::Calculator::Demo());
  ~SimWindow();

  AppContext& ctx() { return *ctx_; }
  Session& session() { return ctx_->session; }
  CMainFrame& frame() { return *frame_; }
  WindowBoundary& boundary() { return boundary_; }
  sim::SimulatedHp48& calculator() { return *sim_; }
  ScratchFolder& pcFolder() { return pc_; }

  // Runs f with the line on the line's own thread and waits for its
  // result, as a window operation would (e.g. to shorten the link's
  // time-outs, or to look at what the link holds).
  template <typename F>
  auto OnLine(F f) -> decltype(f(std::declval<LineSide&>())) {
    using R = decltype(f(std::declval<LineSide&>()));
    auto result = std::make_shared<R>();
    bool done = false;
    ctx_->line.Run<int>(
        "Test", [f, result](LineSide& line) mutable {
          *result = f(line);
          return 0;
        },
        [&done](int) { done = true; });
    Settle();
    if (!done) throw std::runtime_error("the line did not answer in time");
    return *result;
  }
  // Lets every operation asked of the line run and its result arrive.
  void Settle(int timeoutMs = 60000);
  // Asks for the session's job as the window does (with its dialog) and
  // waits for its end.
  JobOutcome RunJob();

  // Message boxes shown so far: "caption: text".
  std::vector<std::string> messages() const { return messages_; }
  // The answer to the next message boxes (default Ok / Yes for questions).
  std::function<MessageAnswer(const QString& text, const QString& caption)> answer;

 private:
  ScratchFolder pc_;
  std::unique_ptr<sim::SimulatedHp48> sim_;
  std::unique_ptr<AppContext> ctx_;
  WindowBoundary boundary_;
  std::unique_ptr<CMainFrame> frame_;
  std::vector<std::string> messages_;
};

}  // namespace dravik::testing
