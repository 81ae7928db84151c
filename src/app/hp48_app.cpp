#include "app/hp48_app.h"

#include <QApplication>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "app/app_context.h"
#include "app/comm_settings_dlg.h"
#include "app/diagnose_dlg.h"
#include "app/main_frame.h"
#include "settings/settings_file.h"
#include "app/window_boundary.h"
#include "hpview/hp_tree_view.h"
#include "hpview/remote_view.h"

namespace dravik {

bool ParseCommandLine(const std::vector<std::string>& arguments, StartOptions& options,
                      std::string& error) {
  bool files_only = false;
  for (size_t i = 0; i < arguments.size(); ++i) {
    const std::string& a = arguments[i];
    if (files_only || a.empty() || a[0] != '-' || a == "-") {
      options.files.push_back(a);
    } else if (a == "--") {
      files_only = true;
    } else if (a == "--simulate") {
      options.simulate = true;
    } else if (a == "--model") {
      if (i + 1 >= arguments.size() || arguments[i + 1].empty()) {
        error = "--model needs a calculator model (48sx, 48gx or 49g)";
        return false;
      }
      options.model = arguments[++i];
    } else if (a == "--port") {
      if (i + 1 >= arguments.size() || arguments[i + 1].empty()) {
        error = "--port needs a device path";
        return false;
      }
      options.port = arguments[++i];
    } else if (a == "--trace") {
      if (i + 1 >= arguments.size() || arguments[i + 1].empty()) {
        error = "--trace needs a file name";
        return false;
      }
      options.trace = arguments[++i];
    } else if (a == "--help" || a == "-h") {
      options.help = true;
    } else if (a == "--version") {
      options.version = true;
    } else {
      error = "unknown option " + a;
      return false;
    }
  }
  if (options.simulate && !options.port.empty()) {
    error = "--simulate and --port name two different lines; give one of them";
    return false;
  }
  if (!options.model.empty() && !options.simulate) {
    error = "--model chooses the simulated calculator's model; give --simulate too";
    return false;
  }
  return true;
}

std::string UsageText() {
  return "Usage: dravik [--simulate [--model MODEL] | --port DEVICE] [--trace FILE]\n"
         "              [FILE...]\n\n"
         "Moves files between this computer and an HP48 calculator in Kermit\n"
         "server mode on a serial line. FILEs are sent to the calculator's\n"
         "current directory once it answers.\n\n"
         "  --simulate     run against a simulated HP48 (no hardware needed)\n"
         "  --model MODEL  the model the simulated calculator answers as: 48sx,\n"
         "                 48gx (the default) or 49g\n"
         "  --port DEVICE  use this serial device for this run (e.g. /dev/ttyUSB0)\n"
         "  --trace FILE   append every packet and XModem block of this run to FILE,\n"
         "                 with its direction and time (for bug reports)\n"
         "  --help         show this text\n"
         "  --version      show the version\n";
}

CHP48App::CHP48App(AppContext& ctx, WindowBoundary& boundary) : ctx_(ctx), boundary_(boundary) {}

CHP48App::~CHP48App() {
  boundary_.commSettingsDialog = nullptr;
  boundary_.diagnoseDialog = nullptr;
  ctx_.session.MainWindow = nullptr;
}

bool CHP48App::FirstFileReadable(const std::vector<std::string>& files) {
  if (files.empty()) return true;
  std::ifstream first(files[0], std::ios::binary);
  if (first && !std::filesystem::is_directory(files[0])) return true;
  const std::string why = std::filesystem::is_directory(files[0]) ? "it is a folder"
                                                                    : std::strerror(errno);
  boundary_.ShowMessage("Cannot open " + files[0] + ": " + why + ".", "Dravik",
                        MessageIcon::Error, MessageButtons::Ok);
  return false;
}

void CHP48App::QueueSendJob(const std::vector<std::string>& files) {
  TransferJob& job = ctx_.session.Job;
  job.Clear();
  for (const std::string& f : files) {
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(f, error);
    job.TransferList.push_back(error ? f : absolute.lexically_normal().string());
  }
  job.SendJobActive = true;
}

void CHP48App::LoadSettings(const StartOptions& options) {
  Session& session = ctx_.session;
  session.Settings = LinkSettings{};
  ReadStartupSettings(session.Settings);
  if (options.simulate) session.Settings.PortNumber = 1;  // the simulator sits on COM1
  if (!options.port.empty()) {
    // The named device takes the slot of the settings, or COM1 when the
    // file names none that exists.
    if (session.Settings.PortNumber < 1 || session.Settings.PortNumber > 4)
      session.Settings.PortNumber = 1;
    session.PortDevices[session.Settings.PortNumber - 1] = options.port;
  }
}

bool CHP48App::InitInstance(const StartOptions& options) {
  Session& session = ctx_.session;
  session.MainWindow = &boundary_;
  ctx_.line.SetWindow(&boundary_);
  // The line's no-response handling runs the dialog with the settings it
  // works with; the dialog edits the window's copy, which goes back.
  boundary_.commSettingsDialog = [this](LinkSettings& settings) {
    ctx_.session.Settings = settings;
    const SettingsAnswer answer = RunCommSettingsDialog(ctx_, frame_.get());
    settings = ctx_.session.Settings;
    return answer;
  };
  boundary_.diagnoseDialog = [this] { RunDiagnoseDialog(ctx_, frame_.get()); };
  // 1. The window with its panes (the PC panes fill themselves); the first
  // file to send must be readable, or there is nothing to start for.
  frame_ = std::make_unique<CMainFrame>(ctx_, boundary_);
  if (!FirstFileReadable(options.files)) return false;
  // 2. File words become a send job.
  if (!options.files.empty()) QueueSendJob(options.files);
  // 3. The window stands on the screen during the connection attempts.
  frame_->setWindowTitle("Dravik - connecting...");
  frame_->RememberLayout();
  frame_->show();
  // 4.-6. Default settings, then those of the settings file.
  LoadSettings(options);
  // 7.-9. The line opens the port and checks until the calculator answers;
  // the window takes input meanwhile.
  const TransferJob job = session.Job;
  session.Job.Clear();
  frame_->ConnectWith(false, [this, job](bool connected) {
    if (!connected) {
      if (gaveUp) gaveUp();
      return;
    }
    frame_->setWindowTitle("Dravik");
    // 10. The files of the command line go to the current directory.
    if (job.SendJobActive) {
      ctx_.session.Job = job;
      frame_->panes().hpList->DropIntoCurrent();
    }
    // 11. The calculator panes show the current directory and the tree.
    frame_->panes().hpList->RefreshList();
    frame_->panes().hpTree->RebuildTree();
    frame_->panes().hpTree->ReadPorts();
  });
  return true;
}

}  // namespace dravik
