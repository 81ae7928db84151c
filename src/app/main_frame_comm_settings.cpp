// The Comm Settings command of CMainFrame: the settings dialog with the
// port closed, then the connect loop with the settings the user left.
#include "app/main_frame.h"

#include "app/app_context.h"
#include "app/connect_loop.h"
#include "app/window_boundary.h"
#include "link/wait_cursor.h"

namespace dravik {

void CMainFrame::OnCommSettings() {
  WaitCursor wait(&boundary_);
  CHP48Link& link = ctx_.kermit;
  // Closed, so the dialog can try every port, this one included.
  link.CloseAll();
  boundary_.RunCommSettingsDialog();  // OK or Exit: either way, try again
  link.CloseAll();
  link.Open();
  ctx_.session.LinkClosedByUser = false;
  // When the user gives up, the port stays closed and the program runs
  // on; the next calculator operation meets the no-response handling.
  ConnectUntilAnswered(link);
}

}  // namespace dravik
