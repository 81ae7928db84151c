// CHP48App: start-up. Brings up the main window, turns the file words of the
// command line into a send job, loads the settings, opens the port and
// repeats the connection check until the calculator answers or the user
// gives up, then fills the calculator panes.
#pragma once

#include <QStringList>
#include <memory>
#include <string>
#include <vector>

namespace dravik {

struct AppContext;
class CMainFrame;
class WindowBoundary;

// What the command line asks for.
struct StartOptions {
  bool simulate = false;             // --simulate: a simulated calculator on COM1
  std::string port;                  // --port PATH: the device for this run
  std::vector<std::string> files;    // files to send once connected
  bool help = false;
  bool version = false;
};

// Reads the arguments as the system passes them (a quoted path with blanks
// stays one path). False with a message for an unknown option.
bool ParseCommandLine(const QStringList& arguments, StartOptions& options, QString& error);
QString UsageText();

class CHP48App {
 public:
  CHP48App(AppContext& ctx, WindowBoundary& boundary);
  ~CHP48App();

  // The start-up steps; false when the program should end (a file word
  // that cannot be read, or the user gave up connecting).
  bool InitInstance(const StartOptions& options);
  CMainFrame* frame() const { return frame_.get(); }

 private:
  AppContext& ctx_;
  WindowBoundary& boundary_;
  std::unique_ptr<CMainFrame> frame_;
};

}  // namespace dravik
