// The calculator panes of the window against the simulated calculator:
// filling the object list with 2,001 objects (read from the calculator,
// then again out of the cache) and "Read all" over 200 directories. Prints
// milliseconds: how long each took, and the longest the GUI thread's event
// loop stood still meanwhile (the line works on its own thread, so the
// window should never wait for it).
#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTimer>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "app/app_context.h"
#include "app/main_frame.h"
#include "app/window_boundary.h"
#include "hpview/hp_tree_view.h"
#include "hpview/remote_view.h"
#include "simulated_hp48.h"

namespace {

using dravik::AppContext;
using dravik::CMainFrame;
using dravik::MessageAnswer;
using dravik::WindowBoundary;
using dravik::sim::Calculator;
using dravik::sim::SimulatedHp48;

// The longest gap between two turns of the GUI thread's event loop while
// it lives: a timer that fires as often as it can notes each gap.
class StallMeter {
 public:
  StallMeter() {
    timer_.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timer_, &QTimer::timeout, [this] {
      const qint64 now = clock_.nsecsElapsed();
      longest_ = std::max(longest_, now - last_);
      last_ = now;
    });
    clock_.start();
    timer_.start(1);
  }
  double LongestMs() const { return static_cast<double>(longest_) / 1e6; }

 private:
  QTimer timer_;
  QElapsedTimer clock_;
  qint64 last_ = 0;
  qint64 longest_ = 0;
};

double MillisSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
      .count();
}

// One window connected to a simulator holding the memory the commands make.
struct Window {
  explicit Window(const std::string& commands) {
    Calculator memory;
    memory.RunCommandLine(commands);
    sim = std::make_unique<SimulatedHp48>(std::move(memory));
    std::string error;
    if (!sim->Start(&error)) throw std::runtime_error(error);
    ctx = std::make_unique<AppContext>();
    ctx->session.PortDevices[0] = sim->device();
    ctx->session.MainWindow = &boundary;
    boundary.answerScript = [](const QString& text, const QString& caption) {
      std::fprintf(stderr, "message: %s: %s\n", qPrintable(caption), qPrintable(text));
      return MessageAnswer::Ok;
    };
    ctx->line.SetWindow(&boundary);
    frame = std::make_unique<CMainFrame>(*ctx, boundary);
    bool connected = false;
    const auto devices = ctx->session.PortDevices;
    ctx->line.Run<bool>(
        "Connecting",
        [devices](dravik::LineSide& line) {
          line.session.PortDevices = devices;
          if (!line.kermit.Open() || !line.kermit.QueryCalculatorState()) return false;
          line.kermit.SetTimeouts(5);
          return true;
        },
        [&connected](bool ok) { connected = ok; });
    Settle();
    if (!connected) throw std::runtime_error("the simulated calculator did not answer");
  }
  ~Window() {
    frame.reset();
    ctx->line.Shutdown(10000);
    sim->Stop();
  }
  void Settle() {
    if (!ctx->line.Settle(600000)) throw std::runtime_error("the line did not finish");
  }
  std::unique_ptr<SimulatedHp48> sim;
  std::unique_ptr<AppContext> ctx;
  WindowBoundary boundary;
  std::unique_ptr<CMainFrame> frame;
};

void FillTheList() {
  std::string commands = "'BIG' CRDIR BIG ";
  for (int i = 0; i < 2001; ++i)
    commands += std::to_string(i) + ".5 'OBJ" + std::to_string(i) + "' STO ";
  Window w(commands + "HOME");
  dravik::CRemoteView* list = w.frame->panes().hpList;
  w.ctx->session.CurrentHPPath = "HOME\\BIG\\";
  double stall_ms = 0;
  auto start = std::chrono::steady_clock::now();
  {
    StallMeter meter;
    list->RefreshList();
    w.Settle();
    stall_ms = meter.LongestMs();
  }
  const double read_ms = MillisSince(start);
  start = std::chrono::steady_clock::now();
  list->RefreshList();
  const double cached_ms = MillisSince(start);
  std::printf("object list, %d rows: %.1f ms read from the calculator and filled, %.1f ms "
              "filled from the cache\n",
              list->topLevelItemCount(), read_ms, cached_ms);
  std::printf("object list, %d rows: longest stall of the window's event loop %.1f ms "
              "(goal: at most 50 ms)\n",
              list->topLevelItemCount(), stall_ms);
}

void ReadAll() {
  // 20 directories in HOME, 9 subdirectories in each: 200 directories.
  std::string commands;
  for (int i = 0; i < 20; ++i) {
    const std::string d = "D" + std::to_string(i);
    commands += "'" + d + "' CRDIR " + d + " ";
    for (int j = 0; j < 9; ++j) commands += "'S" + std::to_string(j) + "' CRDIR ";
    commands += std::to_string(i) + " 'R' STO HOME ";
  }
  Window w(commands);
  w.frame->panes().hpList->RefreshList();
  w.Settle();
  w.frame->panes().hpTree->RebuildTree();
  double stall_ms = 0;
  const auto start = std::chrono::steady_clock::now();
  {
    StallMeter meter;
    w.frame->OnReadAll();
    w.Settle();
    stall_ms = meter.LongestMs();
  }
  const double ms = MillisSince(start);
  int listings = 0;
  while (w.ctx->cache.EntryAt(listings)) ++listings;
  std::printf("Read all, %d directories and HOME: %.0f ms (%.1f ms per directory)\n",
              listings - 1, ms, ms / listings);
  std::printf("Read all, %d directories and HOME: longest stall of the window's event loop "
              "%.1f ms (goal: at most 50 ms)\n",
              listings - 1, stall_ms);
}

}  // namespace

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QTemporaryDir config;
  setenv("XDG_CONFIG_HOME", qPrintable(config.path()), 1);
  QApplication app(argc, argv);
  FillTheList();
  ReadAll();
  return 0;
}
