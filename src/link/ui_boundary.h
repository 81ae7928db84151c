// The narrow boundary between the engine and the window system.
//
// The engine never includes Qt. Everything it needs from a user interface goes
// through these two interfaces: the Qt application implements them with real
// windows, dravik-cli with the console, and tests with scripted fakes.
#pragma once

#include <string>
#include <string_view>

#include "settings/link_settings.h"

namespace dravik {

// Progress codes posted by the links while a job runs.
enum ProgressCode : int {
  kProgressPackets = 0,  // packets (Kermit) or blocks (XModem) so far
  kProgressItem = 1,     // index in TransferList of the item that starts
  kProgressBytes = 2,    // bytes of the current item done
  kProgressRetry = 3,    // no answer: the packet goes again, try value of kMaxReplyTries
  kProgressJobStarts = 98, // the job leaves the line's queue and starts
  kProgressJobOver = 99, // the job is over; the dialog closes
};

// How many times a packet goes before the calculator counts as silent.
constexpr int kMaxReplyTries = 7;

// Receives progress posts. post() must be safe to call from any thread and
// must not block: the Qt implementation queues the value to the GUI thread.
class ProgressSink {
 public:
  virtual ~ProgressSink() = default;
  virtual void post(int code, long value) = 0;
};

enum class MessageIcon { Error, Warning, Information, Question };
// YesNoDefaultNo: a question whose safe answer is No (Enter answers it).
// ReplaceKeepSkip: what to do with files that are there already: "Replace"
// answers Yes, "Keep Both" No, "Skip" Cancel (the default).
enum class MessageButtons { Ok, OkCancel, YesNo, YesNoCancel, YesNoDefaultNo, ReplaceKeepSkip };
enum class MessageAnswer { Ok, Cancel, Yes, No };

// How the user left the communication settings dialog.
enum class SettingsAnswer {
  Cancel,           // "&Exit": the settings stay as they were
  Ok,               // the settings hold what the user chose
  OkSetCalculator,  // and the calculator is to take them over ("&Set HP")
};

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
  // Runs the communication settings dialog modally, starting from settings.
  // Unless the answer is Cancel, settings hold what the user chose. With
  // OkSetCalculator the caller pushes them to the calculator: the dialog
  // itself never talks to the line.
  virtual SettingsAnswer RunCommSettingsDialog(LinkSettings& settings) = 0;
  virtual void SetStatusText(std::string_view text) = 0;
  virtual void SetWaitCursor(bool on) = 0;
};

}  // namespace dravik
