// Everything one running Dravik window works with: the session (settings,
// paths, the current job, the window boundary), the two links on the one
// serial port, the calculator listing cache and the frame's own flags.
//
// The program builds one AppContext in main(); a test builds fresh ones, so
// every pane and dialog takes the context it serves instead of reaching for
// globals.
#pragma once

#include <string>

#include "listing/listing_cache.h"
#include "link/hp48_link.h"
#include "link/operation_log.h"
#include "link/session.h"
#include "link/xmodem_link.h"

namespace dravik {

struct AppContext {
  AppContext() { session.Log = &log; }
  AppContext(const AppContext&) = delete;
  AppContext& operator=(const AppContext&) = delete;

  // The jobs and calculator operations of this run, for the log pane.
  OperationLog log;
  Session session;
  CHP48Link kermit{session};   // holds the port, but during an XModem job
  CXModemLink xmodem{session};  // holds it only during an XModem job
  // The parsed calculator listings by path. The object list fills itself
  // from it; the directory tree and the frame's commands read it too.
  ListingCache cache{session};

  // The panes are being built or rebuilt: resizing leaves the splitter
  // alone and the panes' first-display set-up does nothing.
  bool PanesBusy = true;
  // PC files are classified by name and content.
  bool CheckOutMode = false;
  // A file job's worker runs: the GUI thread leaves the links and the
  // settings record alone until the job's dialog has ended.
  bool JobRunning = false;
  // Texts typed in the "Archive Name" and "New Folder" dialogs.
  std::string ArchiveName;
  std::string NewFolderName;
};

}  // namespace dravik
