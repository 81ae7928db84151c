#include "app/hp48_app.h"

#include <QApplication>

#include "app/app_context.h"
#include "app/main_frame.h"
#include "app/settings_file.h"
#include "app/window_boundary.h"
#include "hpview/hp_tree_view.h"
#include "hpview/remote_view.h"
#include "link/wait_cursor.h"

namespace dravik {

bool ParseCommandLine(const QStringList& arguments, StartOptions& options, QString& error) {
  bool files_only = false;
  for (int i = 1; i < arguments.size(); ++i) {
    const QString& a = arguments[i];
    if (files_only || !a.startsWith("-") || a == "-") {
      options.files.push_back(a.toStdString());
      continue;
    }
    if (a == "--") {
      files_only = true;
    } else if (a == "--simulate") {
      options.simulate = true;
    } else if (a == "--port") {
      if (i + 1 >= arguments.size() || arguments[i + 1].isEmpty()) {
        error = "--port needs a device path";
        return false;
      }
      options.port = arguments[++i].toStdString();
    } else if (a == "--help" || a == "-h") {
      options.help = true;
    } else if (a == "--version") {
      options.version = true;
    } else {
      error = QStringLiteral("unknown option %1").arg(a);
      return false;
    }
  }
  return true;
}

QString UsageText() {
  return "Usage: dravik [--simulate] [--port DEVICE] [FILE...]\n\n"
         "Moves files between this computer and an HP48 calculator in Kermit\n"
         "server mode on a serial line. FILEs are sent to the calculator's\n"
         "current directory once it answers.\n\n"
         "  --simulate     run against a simulated HP48 (no hardware needed)\n"
         "  --port DEVICE  use this serial device for this run (e.g. /dev/ttyUSB0)\n"
         "  --help         show this text\n"
         "  --version      show the version\n";
}

CHP48App::CHP48App(AppContext& ctx, WindowBoundary& boundary) : ctx_(ctx), boundary_(boundary) {}

CHP48App::~CHP48App() { ctx_.session.MainWindow = nullptr; }

bool CHP48App::InitInstance(const StartOptions& options) {
  Session& session = ctx_.session;
  session.MainWindow = &boundary_;
  frame_ = std::make_unique<CMainFrame>(ctx_, boundary_);
  frame_->show();
  QApplication::processEvents();

  WaitCursor wait(&boundary_);
  ReadStartupSettings(session.Settings);
  if (options.simulate) session.Settings.PortNumber = 1;  // the simulator sits on COM1
  if (!options.port.empty()) session.PortDevices[session.Settings.PortNumber - 1] = options.port;
  session.LinkClosedByUser = false;
  ctx_.kermit.Open();
  while (!ctx_.kermit.QueryCalculatorState()) {
    ctx_.kermit.CloseAll();
    if (session.LinkClosedByUser) return false;
    ctx_.kermit.Open();
  }
  ctx_.kermit.SetTimeouts(5);
  frame_->panes().hpList->RefreshList();
  frame_->panes().hpTree->RebuildTree();
  frame_->setWindowTitle("Dravik");
  return true;
}

}  // namespace dravik
