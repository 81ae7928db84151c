// Start-up of the window against the simulated calculator, as `dravik
// --simulate` does it: from the start of main() to the connected window with
// the calculator panes filled, then the resident memory after the window
// has idled for two seconds. Prints milliseconds and MiB.
//
// Runs on Qt's offscreen platform unless QT_QPA_PLATFORM says otherwise,
// with a config folder of its own.
#include <QApplication>
#include <QTemporaryDir>
#include <QTimer>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>

#include "app/app_context.h"
#include "app/hp48_app.h"
#include "app/window_boundary.h"
#include "simulated_hp48.h"

namespace {

// VmRSS of this process in MiB.
double ResidentMiB() {
  std::ifstream status("/proc/self/status");
  std::string key;
  while (status >> key) {
    if (key == "VmRSS:") {
      double kib = 0;
      status >> kib;
      return kib / 1024.0;
    }
    std::getline(status, key);
  }
  return -1;
}

}  // namespace

int main(int argc, char** argv) {
  const auto start = std::chrono::steady_clock::now();
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QTemporaryDir config;
  setenv("XDG_CONFIG_HOME", qPrintable(config.path()), 1);
  QApplication app(argc, argv);

  auto ctx = std::make_unique<dravik::AppContext>();
  dravik::sim::SimOptions options;
  options.auto_eval = true;
  dravik::sim::SimulatedHp48 simulator(dravik::sim::Calculator::Demo(), options);
  std::string error;
  if (!simulator.Start(&error)) {
    std::fprintf(stderr, "ui_startup_bench: simulator: %s\n", error.c_str());
    return 1;
  }
  ctx->session.PortDevices[0] = simulator.device();
  dravik::WindowBoundary boundary;
  boundary.answerScript = [](const QString& text, const QString& caption) {
    std::fprintf(stderr, "message: %s: %s\n", qPrintable(caption), qPrintable(text));
    return dravik::MessageAnswer::Ok;
  };
  dravik::CHP48App hp48(*ctx, boundary);
  dravik::StartOptions start_options;
  start_options.simulate = true;
  if (!hp48.InitInstance(start_options)) {
    std::fprintf(stderr, "ui_startup_bench: start-up failed\n");
    return 1;
  }
  const double ms =
      std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();

  QTimer::singleShot(2000, &app, &QApplication::quit);
  app.exec();
  std::printf("platform %s\n", qPrintable(QApplication::platformName()));
  std::printf("start to connected window: %.0f ms (target under 1500)\n", ms);
  std::printf("idle resident memory:      %.1f MiB (target under 60)\n", ResidentMiB());
  return 0;
}
