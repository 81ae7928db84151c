// dravik: the window. Reads the command line, starts the simulated
// calculator when asked, and runs start-up.
#include <QApplication>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/app_context.h"
#include "app/hp48_app.h"
#include "app/window_boundary.h"
#include "link/trace_file.h"

#ifdef DRAVIK_HAVE_SIM
#include "simulated_hp48.h"
#endif

int main(int argc, char** argv) {
  // The arguments as the system passes them, before Qt takes its own out:
  // a file word is a path, whatever it looks like to Qt.
  const std::vector<std::string> arguments(argv + 1, argv + argc);
  dravik::StartOptions options;
  std::string error;
  if (!dravik::ParseCommandLine(arguments, options, error)) {
    std::fprintf(stderr, "dravik: %s\n\n%s", error.c_str(), dravik::UsageText().c_str());
    return 2;
  }
  // Answered without a window, so they work without a display too.
  if (options.help) {
    std::fputs(dravik::UsageText().c_str(), stdout);
    return 0;
  }
  if (options.version) {
    std::printf("dravik %s\n", DRAVIK_VERSION);
    return 0;
  }

  // Every packet and XModem block of this run goes to the trace file; one
  // that cannot be written is refused before anything starts.
  std::shared_ptr<dravik::TraceFile> trace;
  if (!options.trace.empty()) {
    trace = std::make_shared<dravik::TraceFile>(options.trace);
    if (!trace->ok()) {
      std::fprintf(stderr, "dravik: %s\n", trace->error().c_str());
      return 2;
    }
  }

  int qt_argc = 1;
  QApplication app(qt_argc, argv);
  QApplication::setApplicationName("Dravik");
  QApplication::setApplicationVersion(DRAVIK_VERSION);
  // Wayland matches the window to the desktop entry by this name.
  QGuiApplication::setDesktopFileName("org.dravik.Dravik");

  auto ctx = std::make_unique<dravik::AppContext>();
  ctx->session.Trace = trace;
#ifdef DRAVIK_HAVE_SIM
  std::unique_ptr<dravik::sim::SimulatedHp48> simulator;
  if (options.simulate) {
    std::optional<dravik::sim::SimModel> model = dravik::sim::SimModel::k48GX;
    if (!options.model.empty()) model = dravik::sim::ParseSimModel(options.model);
    if (!model) {
      std::fprintf(stderr, "dravik: --model takes 48sx, 48gx or 49g, not %s\n\n%s",
                   options.model.c_str(), dravik::UsageText().c_str());
      return 2;
    }
    dravik::sim::SimOptions sim_options;
    sim_options.auto_eval = true;
    simulator = std::make_unique<dravik::sim::SimulatedHp48>(dravik::sim::Calculator::Demo(*model),
                                                             sim_options);
    std::string sim_error;
    if (!simulator->Start(&sim_error)) {
      std::fprintf(stderr, "dravik: the simulated calculator did not start: %s\n",
                   sim_error.c_str());
      return 1;
    }
    ctx->session.PortDevices[0] = simulator->device();
  }
#else
  if (options.simulate) {
    std::fprintf(stderr, "dravik: this build has no simulated calculator\n");
    return 2;
  }
#endif

  dravik::WindowBoundary boundary;
  int result = 1;
  {
    dravik::CHP48App hp48(*ctx, boundary);
    // Giving up connecting ends the program as a failure.
    hp48.gaveUp = [] { QCoreApplication::exit(1); };
    if (hp48.InitInstance(options)) result = app.exec();
  }
  // The Kermit link closes the port and its files when it goes.
  ctx.reset();
  return result;
}
