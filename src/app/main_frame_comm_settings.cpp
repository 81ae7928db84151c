// The Comm Settings command of CMainFrame.
#include "app/main_frame.h"

#include "app/app_context.h"

namespace dravik {

void CMainFrame::OnCommSettings() {}

}  // namespace dravik
