// The commands of CMainFrame.
#include "app/main_frame.h"

#include "app/app_context.h"

namespace dravik {

void CMainFrame::Send(bool) {}
void CMainFrame::OnSend() { Send(false); }
void CMainFrame::OnSendXModem() { Send(true); }
void CMainFrame::OnBmpToGrob() {}
void CMainFrame::OnGrobToBmp() {}
void CMainFrame::OnDelete() {}
void CMainFrame::OnHome() {}
void CMainFrame::OnUpDir() {}
void CMainFrame::OnReadAll() {}
void CMainFrame::OnFinish() {}
void CMainFrame::OnAscii() {}
void CMainFrame::OnBinary() {}
void CMainFrame::OnArchive() {}
void CMainFrame::OnRestore() {}
void CMainFrame::OnRefresh() {}
void CMainFrame::OnPanic() {}
void CMainFrame::OnAbout() {}
void CMainFrame::OnNewFolder() {}

}  // namespace dravik
