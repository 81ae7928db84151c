// The calculator panes of the window against the simulated calculator:
// filling the object list with 2,000 objects (read from the calculator,
// then again out of the cache) and "Read all" over 200 directories.
// Prints milliseconds.
#include <QApplication>
#include <QTemporaryDir>
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
    frame = std::make_unique<CMainFrame>(*ctx, boundary);
    if (!ctx->kermit.Open() || !ctx->kermit.QueryCalculatorState())
      throw std::runtime_error("the simulated calculator did not answer");
    ctx->kermit.SetTimeouts(5);
  }
  ~Window() {
    frame.reset();
    ctx->kermit.CloseAll();
    sim->Stop();
  }
  std::unique_ptr<SimulatedHp48> sim;
  std::unique_ptr<AppContext> ctx;
  WindowBoundary boundary;
  std::unique_ptr<CMainFrame> frame;
};

void FillTheList() {
  std::string commands = "'BIG' CRDIR BIG ";
  for (int i = 0; i < 2000; ++i)
    commands += std::to_string(i) + ".5 'OBJ" + std::to_string(i) + "' STO ";
  Window w(commands + "HOME");
  dravik::CRemoteView* list = w.frame->panes().hpList;
  w.ctx->session.CurrentHPPath = "HOME\\BIG\\";
  auto start = std::chrono::steady_clock::now();
  list->RefreshList();
  const double read_ms = MillisSince(start);
  start = std::chrono::steady_clock::now();
  list->RefreshList();
  const double cached_ms = MillisSince(start);
  std::printf("object list, %d rows: %.1f ms read from the calculator and filled, %.1f ms "
              "filled from the cache\n",
              list->topLevelItemCount(), read_ms, cached_ms);
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
  w.frame->panes().hpTree->RebuildTree();
  const auto start = std::chrono::steady_clock::now();
  w.frame->OnReadAll();
  const double ms = MillisSince(start);
  int listings = 0;
  while (w.ctx->cache.EntryAt(listings)) ++listings;
  std::printf("Read all, %d directories and HOME: %.0f ms (%.1f ms per directory)\n",
              listings - 1, ms, ms / listings);
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
