// The PC-side commands of CMainFrame: the drive selector, the favourite
// folder and the "Check out" mode.
#include "app/main_frame.h"

#include "app/app_context.h"

namespace dravik {

void CMainFrame::OnSetFavoritePath() {}
void CMainFrame::OnCheckOut() {}
void CMainFrame::OnDriveChange(int) {}

}  // namespace dravik
