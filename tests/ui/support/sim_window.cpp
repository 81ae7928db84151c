#include "support/sim_window.h"

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
  frame_ = std::make_unique<CMainFrame>(*ctx_, boundary_);
  if (connect) {
    if (!ctx_->kermit.Open() || !ctx_->kermit.QueryCalculatorState())
      throw std::runtime_error("the simulated calculator did not answer");
    ctx_->kermit.SetTimeouts(5);
  }
}

SimWindow::~SimWindow() {
  frame_.reset();
  ctx_->kermit.CloseAll();
  ctx_->session.MainWindow = nullptr;
  sim_->Stop();
}

}  // namespace dravik::testing
