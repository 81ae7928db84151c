// The narrow boundary between the engine and the window system.
//
// The engine never includes Qt. Everything it needs from a user interface goes
// through these two interfaces: the Qt application implements them with real
// windows, dravik-cli with the console, and tests with scripted fakes.
#pragma once

#include <string>
#include <string_view>

namespace dravik {

// Progress codes posted by the links while a job runs.
enum ProgressCode : int {
  kProgressPackets = 0,  // packets (Kermit) or blocks (XModem) so far
  kProgressItem = 1,     // index in TransferList of the item that starts
  kProgressBytes = 2,    // bytes of the current item done
  kProgressJobOver = 99, // the job is over; the dialog closes
};

// Receives progress posts. post() must be safe to call from any thread and
// must not block: the Qt implementation queues the value to the GUI thread.
class ProgressSink {
 public:
  virtual ~ProgressSink() = default;
  virtual void post(int code, long value) = 0;
};

enum class MessageIcon { Error, Warning, Information, Question };
enum class MessageButtons { Ok, OkCancel, YesNo, YesNoCancel };
enum class MessageAnswer { Ok, Cancel, Yes, No };

// The owner of the engine's message boxes and of the status bar. Calls may
// come from the worker thread; the Qt implementation runs them on the GUI
// thread and blocks the caller until the user has answered.
class MainWindowHandle {
 public:
  virtual ~MainWindowHandle() = default;
  virtual MessageAnswer ShowMessage(std::string_view text, std::string_view caption,
                                    MessageIcon icon,
                                    MessageButtons buttons = MessageButtons::Ok) = 0;
  // The calculator did not answer: says so with text (caption "Error"). A
  // window may offer to look into why; the port is closed meanwhile.
  virtual void ShowNoResponse(std::string_view text) {
    ShowMessage(text, "Error", MessageIcon::Error, MessageButtons::Ok);
  }
  // Runs the communication settings dialog modally. True when the user left
  // it with OK (the settings in the session may have changed), false for
  // Cancel/Exit.
  virtual bool RunCommSettingsDialog() = 0;
  virtual void SetStatusText(std::string_view text) = 0;
  virtual void SetWaitCursor(bool on) = 0;
  // Called now and then while the link waits for the line (every few tens of
  // milliseconds of a read). A window repaints here so that it never looks
  // frozen during a long exchange on its own thread; it must not run user
  // input, which could start another operation on the busy link. Calls from
  // a worker thread may do nothing.
  virtual void KeepResponsive() {}
};

}  // namespace dravik
