// window_shots: takes the README's pictures of the window. It starts the
// window against the simulated calculator, as `dravik --simulate` does,
// walks it through the states the pictures show and saves each as a PNG in
// the folder given. scripts/screenshots.sh runs it under xvfb-run with a
// fresh home, so that the PC panes show that home's folders and files only.
#include <QApplication>
#include <QElapsedTimer>
#include <QPixmap>
#include <QScreen>
#include <QStatusBar>
#include <QThread>
#include <QTreeWidget>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>

#include "app/app_context.h"
#include "app/backup_window.h"
#include "app/hp48_app.h"
#include "app/main_frame.h"
#include "app/window_boundary.h"
#include "hpview/hp_tree_view.h"
#include "hpview/remote_view.h"
#include "jobs/transfer_dlg.h"
#include "jobs/transfer_job.h"
#include "pcview/pc_tree_view.h"
#include "pcview/pc_view.h"
#include "platform/config_folder.h"
#include "sim_model.h"
#include "simulated_hp48.h"

namespace dravik {
namespace {

// Processes events until done() or ms have passed; whether done().
bool WaitFor(const std::function<bool()>& done, int ms = 60000) {
  QElapsedTimer clock;
  clock.start();
  while (!done() && clock.elapsed() < ms) {
    QApplication::processEvents(QEventLoop::AllEvents, 20);
    QThread::msleep(5);
  }
  return done();
}

// Lets the window paint what it has become before it is taken.
void LetPaint() {
  WaitFor([] { return false; }, 500);
}

QTreeWidgetItem* Row(QTreeWidget* view, const char* name) {
  for (int i = 0; i < view->topLevelItemCount(); ++i)
    if (view->topLevelItem(i)->text(0) == name) return view->topLevelItem(i);
  return nullptr;
}

void SelectRows(QTreeWidget* view, std::initializer_list<const char*> names) {
  view->clearSelection();
  for (const char* name : names) {
    if (QTreeWidgetItem* row = Row(view, name)) {
      row->setSelected(true);
      view->setCurrentItem(row, 0, QItemSelectionModel::NoUpdate);
    }
  }
}

class Shots {
 public:
  explicit Shots(std::string folder) : folder_(std::move(folder)) {}

  // The screen where the window stands, with whatever stands over it (a
  // transfer's dialog).
  void Take(QWidget* window, const char* name) {
    LetPaint();
    const QRect area = window->frameGeometry();
    Save(window->screen()->grabWindow(0, area.x(), area.y(), area.width(), area.height()), name);
  }
  // One widget alone, drawn twice as large (a strip of the status bar).
  void TakeEnlarged(QWidget* widget, const char* name) {
    LetPaint();
    const QPixmap shot = widget->grab();
    Save(shot.scaled(shot.size() * 2, Qt::IgnoreAspectRatio, Qt::FastTransformation), name);
  }
  bool ok() const { return ok_; }

 private:
  void Save(const QPixmap& shot, const char* name) {
    const QString path = QString::fromStdString(folder_ + "/" + name);
    const bool saved = shot.save(path, "PNG");
    std::printf("%s %s\n", saved ? "wrote" : "COULD NOT WRITE", qPrintable(path));
    ok_ = ok_ && saved;
  }

  std::string folder_;
  bool ok_ = true;
};

// The window connected to a calculator simulated from memory, the PC pane
// in the demo home's hp48 folder: arrange sets the panes up once the
// calculator answered, then the window is taken as name.
bool TakeSimulatedShot(Shots& shots, sim::Calculator memory, const char* name,
                       const std::function<bool(AppContext&, const Panes&)>& arrange) {
  sim::SimulatedHp48 calculator(std::move(memory));
  std::string error;
  if (!calculator.Start(&error)) return false;
  AppContext ctx;
  ctx.session.PortDevices[0] = calculator.device();
  ctx.session.CurrentPCFolder = HomeFolder() + "hp48/";
  WindowBoundary boundary;
  boundary.answerScript = [](const QString&, const QString&) { return MessageAnswer::Yes; };
  CHP48App app(ctx, boundary);
  StartOptions options;
  options.simulate = true;
  if (!app.InitInstance(options)) return false;
  CMainFrame& frame = *app.frame();
  frame.move(0, 0);
  frame.resize(1000, 700);
  if (!WaitFor([&] { return ctx.CalculatorAnswered; }) || !ctx.line.Settle(60000)) return false;
  if (!arrange(ctx, frame.panes())) return false;
  LetPaint();
  frame.panes().pcTree->SyncToCurrentFolder();
  frame.activateWindow();
  shots.Take(&frame, name);
  frame.close();
  return true;
}

// The window connected to a simulated HP49G: its HOME with CASDIR, the
// model named in the status bar.
bool TakeHp49Shot(Shots& shots) {
  return TakeSimulatedShot(shots, sim::Calculator::Demo(sim::SimModel::k49G), "hp49-window.png",
                           [](AppContext&, const Panes& panes) {
                             SelectRows(panes.hpList, {"CASDIR"});
                             return true;
                           });
}

// The window connected to a simulated HP49G whose flash port holds the
// demo's library, attached: the port beside HOME, the library with its
// number and title.
bool TakePortShot(Shots& shots) {
  sim::Calculator memory = sim::Calculator::Demo(sim::SimModel::k49G);
  memory.RunCommandLine("'DEMOLIB' RCL 2 STO 'DEMOLIB' PURGE");
  memory.RunCommandLine("1234 ATTACH");
  return TakeSimulatedShot(shots, std::move(memory), "port-library.png",
                           [](AppContext& ctx, const Panes& panes) {
                             QTreeWidgetItem* port = panes.hpTree->ItemOfPath(":2:\\");
                             if (!port) return false;
                             panes.hpTree->setCurrentItem(port);
                             ctx.line.Settle(60000);
                             SelectRows(panes.hpList, {"1234"});
                             panes.hpList->setFocus();
                             return true;
                           });
}

int TakeShots(const std::string& folder) {
  sim::SimOptions simOptions;
  simOptions.auto_eval = true;  // the archive starts without a hand on the keyboard
  sim::SimulatedHp48 calculator(sim::Calculator::Demo(), simOptions);
  std::string error;
  if (!calculator.Start(&error)) {
    std::fprintf(stderr, "window_shots: the simulated calculator did not start: %s\n",
                 error.c_str());
    return 1;
  }
  AppContext ctx;
  ctx.session.PortDevices[0] = calculator.device();
  const std::string hp48 = HomeFolder() + "hp48/";
  ctx.session.CurrentPCFolder = hp48;
  WindowBoundary boundary;
  // Nobody is there to answer: each box is printed and said yes to.
  boundary.answerScript = [](const QString& text, const QString& caption) {
    std::fprintf(stderr, "window_shots: %s: %s\n", qPrintable(caption), qPrintable(text));
    return MessageAnswer::Yes;
  };
  CHP48App app(ctx, boundary);
  StartOptions options;
  options.simulate = true;
  if (!app.InitInstance(options)) return 1;
  CMainFrame& frame = *app.frame();
  frame.move(0, 0);
  frame.resize(1000, 700);
  if (!WaitFor([&] { return ctx.CalculatorAnswered; }) || !ctx.line.Settle(60000)) {
    std::fprintf(stderr, "window_shots: the simulated calculator did not answer\n");
    return 1;
  }
  const Panes& panes = frame.panes();
  // The folder tree centres its folder now that the window has its size.
  LetPaint();
  panes.pcTree->SyncToCurrentFolder();
  Shots shots(folder);

  // A backup of the calculator's memory, in its window.
  ctx.ArchiveName = "MAR99";
  std::string backup;
  bool archived = false;
  StartArchive(ctx, &frame, [&](JobResult result) {
    if (!result.received.empty()) backup = result.received.back().path;
    archived = true;
  });
  WaitFor([&] { return archived; });
  ctx.line.Settle(60000);
  panes.pcList->Refresh();
  if (CBackupWindow* window = backup.empty() ? nullptr : frame.OpenBackupFile(backup)) {
    window->move(0, 0);
    window->resize(600, 480);
    window->tree()->setCurrentItem(window->tree()->topLevelItem(0));
    shots.Take(window, "backup-window.png");
    window->close();
  }

  // The window as it opens.
  frame.activateWindow();
  shots.Take(&frame, "dravik-window.png");

  // A send in progress, at the speed of a real line.
  calculator.SetBaud(9600);
  SelectRows(panes.pcList, {"NOTES"});
  emit panes.pcList->sendRequested(false);
  WaitFor([&] {
    auto* dialog = frame.findChild<CTransferDlg*>();
    return dialog && dialog->isVisible() && dialog->PacketText().section(' ', -1).toInt() >= 16;
  });
  shots.Take(&frame, "file-transfer.png");
  ctx.line.Settle(60000);

  // Read all, with the tree browsable and Stop in the status bar.
  frame.action(CMainFrame::Command::ReadAll)->trigger();
  WaitFor([&] { return frame.messageText().contains("(3 of"); });
  shots.Take(&frame, "read-all-status.png");
  shots.TakeEnlarged(frame.statusBar(), "stop-button.png");
  ctx.line.Settle(60000);
  calculator.SetBaud(0);

  // Two objects moved from GAMES to WORK, shown where they went.
  panes.hpTree->setCurrentItem(panes.hpTree->ItemOfPath("HOME\\GAMES\\"));
  ctx.line.Settle(60000);
  SelectRows(panes.hpList, {"PLAYER", "HISCORE"});
  ctx.session.Job.Clear();
  ctx.session.Job.ReceiveJobActive = true;
  panes.hpList->CollectSelection();
  panes.hpList->MoveSelectionTo("HOME\\WORK\\");
  ctx.line.Settle(60000);
  panes.hpTree->setCurrentItem(panes.hpTree->ItemOfPath("HOME\\WORK\\"));
  ctx.line.Settle(60000);
  SelectRows(panes.hpList, {"PLAYER", "HISCORE"});
  panes.hpList->setFocus();
  shots.Take(&frame, "calculator-move.png");

  // HOME received into a PC folder, then changed on the PC: one object
  // differs, one is only on the calculator, one only on the PC, one is in
  // text form.
  panes.hpTree->setCurrentItem(panes.hpTree->ItemOfPath("HOME\\"));
  frame.OnBinary();
  ctx.line.Settle(60000);
  std::filesystem::create_directories(hp48 + "calc");
  ctx.session.CurrentPCFolder = hp48 + "calc/";
  panes.pcList->Refresh();
  panes.pcTree->SyncToCurrentFolder();
  ctx.session.Job.Clear();
  ctx.session.Job.ReceiveJobActive = true;
  for (const char* name : {"DEMOLIB", "PIC", "LEN", "MASK", "EQ", "SQ2", "PRIMES", "Z", "PI2"})
    ctx.session.Job.TransferList.push_back(name);
  StartTransfer(ctx, &frame, {});
  ctx.session.Job.Clear();
  ctx.line.Settle(60000);
  std::error_code ignored;
  std::filesystem::copy_file(hp48 + "calc/Z", hp48 + "calc/PI2",
                             std::filesystem::copy_options::overwrite_existing, ignored);
  std::filesystem::copy_file(hp48 + "calc/MASK", hp48 + "calc/SCORES", ignored);
  std::filesystem::copy_file(hp48 + "GREET", hp48 + "calc/GREET", ignored);
  panes.pcList->Refresh();
  frame.OnCompare();
  ctx.line.Settle(60000);
  shots.Take(&frame, "compare-marks.png");

  frame.close();
  if (!TakeHp49Shot(shots)) {
    std::fprintf(stderr, "window_shots: the simulated HP49G did not answer\n");
    return 1;
  }
  if (!TakePortShot(shots)) {
    std::fprintf(stderr, "window_shots: the simulated HP49G did not show its port\n");
    return 1;
  }
  return shots.ok() ? 0 : 1;
}

}  // namespace
}  // namespace dravik

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: window_shots FOLDER\n");
    return 2;
  }
  const std::string folder = argv[1];
  int qt_argc = 1;
  QApplication app(qt_argc, argv);
  QApplication::setApplicationName("Dravik");
  return dravik::TakeShots(folder);
}
