// Everything one running Dravik window works with: the session (settings,
// paths, the current job, the window boundary), the line (its own thread
// with the two links on the one serial port), the calculator listing cache
// and the frame's own flags.
//
// The program builds one AppContext in main(); a test builds fresh ones, so
// every pane and dialog takes the context it serves instead of reaching for
// globals.
#pragma once

#include <memory>
#include <string>

#include "app/calculator_line.h"
#include "link/operation_log.h"
#include "link/session.h"
#include "listing/listing_cache.h"

namespace dravik {

struct AppContext {
  AppContext() { session.Log = &log; }
  AppContext(const AppContext&) = delete;
  AppContext& operator=(const AppContext&) = delete;

  // The jobs and calculator operations of this run, for the log pane; the
  // line's thread shares it, since it may end after the window.
  std::shared_ptr<OperationLog> sharedLog = std::make_shared<OperationLog>();
  OperationLog& log = *sharedLog;
  // The window's own copy: what the panes show, the settings, and what the
  // line last reported (where the calculator is, its transfer format).
  Session session;
  // The parsed calculator listings by path. The object list fills itself
  // from it; the directory tree and the frame's commands read it too.
  ListingCache cache{session};
  // Every operation that talks to the calculator runs there, one at a time.
  CalculatorLine line{session, sharedLog};

  // The panes are being built or rebuilt: resizing leaves the splitter
  // alone and the panes' first-display set-up does nothing.
  bool PanesBusy = true;
  // PC files are classified by name and content.
  bool CheckOutMode = false;
  // The PC panes list hidden files and folders (names beginning with a dot).
  bool ShowHiddenFiles = false;
  // A connection check has been answered: the transfer format, checksum
  // and translation mode shown are the calculator's.
  bool CalculatorAnswered = false;
  // Texts typed in the "Archive Name" and "New Folder" dialogs.
  std::string ArchiveName;
  std::string NewFolderName;
};

}  // namespace dravik
