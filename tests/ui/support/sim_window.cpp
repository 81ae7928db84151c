#include "support/sim_window.h"

#include "support/pane_events.h"

#include <stdexcept>

namespace dravik::testing {

SimWindow::SimWindow(sim::SimOptions options, bool connect, sim::Calculator calculator) {
  sim_ = std::make_unique<sim::SimulatedHp48>(std::move(calculator), options);
  std::string error;
  if (!sim_->Start(&error)) throw std::runtime_error("simulator: " + error);
  ctx_ = std::make_unique<AppContext>();
  Session& s = ctx_->session;
  s.PortDevices[0] = sim_->device();
  s.CurrentPCFolder = pc_.path();
  s.MainWindow = &boundary_;
  boundary_.answerScript = [this](const QString& text, const QString& caption) {
    messages_.push_back((caption + ": " + text).toStdString());
    if (answer) return answer(text, caption);
    return MessageAnswer::Yes;
  };
  ctx_->line.SetWindow(&boundary_);
  SetLineToSettle(&ctx_->line);
  frame_ = std::make_unique<CMainFrame>(*ctx_, boundary_);
  const auto devices = s.PortDevices;
  const LinkSettings settings = s.Settings;
  if (!OnLine([devices, settings, connect](LineSide& line) {
        line.session.PortDevices = devices;
        line.session.Settings = settings;
        if (!connect) return true;
        if (!line.kermit.Open() || !line.kermit.QueryCalculatorState()) return false;
        line.kermit.SetTimeouts(5);
        return true;
      }))
    throw std::runtime_error("the simulated calculator did not answer");
  ctx_->CalculatorAnswered = connect;
}

void SimWindow::Settle(int timeoutMs) {
  if (!ctx_->line.Settle(timeoutMs)) throw std::runtime_error("the line is still busy");
}

JobOutcome SimWindow::RunJob() {
  JobOutcome outcome = JobOutcome::Failed;
  StartTransfer(*ctx_, frame_.get(), [&outcome](JobResult result) { outcome = result.outcome; });
  ctx_->session.Job.Clear();
  Settle();
  return outcome;
}

SimWindow::~SimWindow() {
  SetLineToSettle(nullptr);
  frame_.reset();
  ctx_->line.Shutdown(10000);
  ctx_->line.SetWindow(nullptr);
  ctx_->session.MainWindow = nullptr;
  sim_->Stop();
}

}  // namespace dravik::testing
