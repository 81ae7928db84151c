// CHP48App: start-up. Brings up the main window, turns the file words of the
// command line into a send job, loads the settings, opens the port and
// repeats the connection check until the calculator answers or the user
// gives up, then sends the files and fills the calculator panes.
#pragma once

#include <functional>
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
  std::string model;                 // --model NAME: the model it answers as (48sx, 48gx, 49g)
  std::string port;                  // --port PATH: the device for this run
  std::string trace;                 // --trace FILE: every packet of this run goes there
  std::vector<std::string> files;    // files to send once connected
  bool help = false;
  bool version = false;
};

// Reads the arguments as the system passes them (argv without the program
// name): a quoted path with blanks stays one path, and a file name keeps
// its bytes. False with a message for an unknown option or a missing value.
bool ParseCommandLine(const std::vector<std::string>& arguments, StartOptions& options,
                      std::string& error);
std::string UsageText();

class CHP48App {
 public:
  CHP48App(AppContext& ctx, WindowBoundary& boundary);
  ~CHP48App();

  // The start-up steps; false when the program should end (a first file
  // word that cannot be read). The connection check runs on the line; when
  // the user gives up connecting, gaveUp is called.
  bool InitInstance(const StartOptions& options);
  CMainFrame* frame() const { return frame_.get(); }

  // Called when the user gave up connecting: the program ends there.
  std::function<void()> gaveUp;

 private:
  bool FirstFileReadable(const std::vector<std::string>& files);
  void QueueSendJob(const std::vector<std::string>& files);
  void LoadSettings(const StartOptions& options);

  AppContext& ctx_;
  WindowBoundary& boundary_;
  std::unique_ptr<CMainFrame> frame_;
};

}  // namespace dravik
