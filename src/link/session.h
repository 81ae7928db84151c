// The shared state of one running Dravik: settings, calculator and PC paths,
// the current job and the window-system boundary.
//
// The program keeps one Session for its whole run; a test builds fresh ones,
// so two links can run side by side in one process. The links hold a
// reference to the session they serve.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <optional>
#include <memory>
#include <string>
#include <vector>

#include "settings/link_settings.h"
#include "link/packet_trace.h"
#include "link/ui_boundary.h"

namespace dravik {

class OperationLog;
struct CalculatorModel;

// The items of the next or current file job.
struct TransferJob {
  static constexpr size_t kMaxItems = 200;
  std::vector<std::string> TransferList;  // PC paths (send) or calculator names (receive)
  std::vector<uint32_t> TransferSizes;    // same index as TransferList
  bool SendJobActive = false;
  bool ReceiveJobActive = false;
  bool UseXModem = false;
  // Items left out of the job before it started, each "item (why)".
  std::vector<std::string> Refused;

  void Clear() {
    TransferList.clear();
    TransferSizes.clear();
    Refused.clear();
    SendJobActive = ReceiveJobActive = UseXModem = false;
  }
};

// What a program Dravik left on the calculator (for an archive or an XModem
// job) changed there before it ran, to be put back once the server answers
// again: the program tidies up after itself only when it runs to its end.
struct CalculatorLeftovers {
  std::string Directory;           // where the variables are ("HOME\GAMES\")
  std::vector<std::string> Names;  // variables to purge
  int TranslationMode = -1;        // the user's translation mode to set again; -1: unchanged
  // The program waiting on stack level 1, and the levels it and its
  // argument take there; empty: none on the stack.
  std::string StackMark;
  int StackLevels = 0;
};

struct Session {
  LinkSettings Settings;
  bool BinaryMode = false;    // the calculator's flag -35 as last read
  // The calculator that answers, as the connection check and the first
  // listing showed it; null before a connection check, and for a server
  // that is no calculator.
  const CalculatorModel* Model = nullptr;
  std::string FavoritePath;   // favourite PC folder, ends with '/'

  // Calculator paths: "HOME\" then one name and a backslash per level.
  std::string CurrentHPPath = "HOME\\";  // what the calculator panes show
  std::string HPWorkingPath = "HOME\\";  // where the calculator was last moved
  // The PC folder shown in the PC panes; received files are created in it.
  // Always ends with '/'.
  std::string CurrentPCFolder;

  bool LinkClosedByUser = false;
  TransferJob Job;
  // What the last archive or XModem job left on the calculator, until it
  // is put back (CHP48Link::PutBackLeftovers).
  std::optional<CalculatorLeftovers> Leftovers;

  // Device paths that override the port slots COM1..COM4 (index 0..3) for
  // this session; empty entries fall back to DRAVIK_COMn and the device scan.
  std::array<std::string, 4> PortDevices;

  // The window-system boundary. MainWindow must be set before any link
  // operation runs; ProgressWindow may be null outside a job (posts are lost).
  MainWindowHandle* MainWindow = nullptr;
  std::atomic<ProgressSink*> ProgressWindow{nullptr};

  // Where the links report every packet (--trace); null: no trace. Set
  // before any link runs and left alone while one does. Shared, so that a
  // link thread left to end on its own after the window has gone still
  // writes to a trace that exists.
  std::shared_ptr<PacketTrace> Trace;
  // Where the operations and jobs note what they did (the window's log
  // pane); null: no log.
  OperationLog* Log = nullptr;

  void Post(int code, long value) {
    if (ProgressSink* sink = ProgressWindow.load()) sink->post(code, value);
  }
};

}  // namespace dravik
