// The commands of CMainFrame: sending and deleting (on the side the user
// works on), the calculator's directories, its transfer mode, archive and
// restore, Refresh, Panic and About.
#include <filesystem>

#include "app/about_dlg.h"
#include "app/app_context.h"
#include "app/main_frame.h"
#include "app/name_dialogs.h"
#include "app/restore_command.h"
#include "app/window_boundary.h"
#include "listing/hp_path.h"
#include "hpview/hp_tree_view.h"
#include "listing/listing_walk.h"
#include "hpview/remote_view.h"
#include "jobs/transfer_job.h"
#include "link/hp48_listing_link.h"
#include "link/wait_cursor.h"
#include "pcview/pc_tree_view.h"
#include "pcview/pc_view.h"

namespace dravik {

void CMainFrame::Send(bool xmodem) {
  const int side = ActiveSide();
  if (side < 0) return;
  TransferJob& job = ctx_.session.Job;
  job.Clear();
  job.UseXModem = xmodem;
  if (side == 0) {
    job.SendJobActive = true;
    if (panes_.pcList->FillTransferList() == 0) {
      job.Clear();
      return;
    }
    panes_.hpList->DropIntoCurrent();
  } else {
    job.ReceiveJobActive = true;
    if (panes_.hpList->CollectSelection() == 0) {
      job.Clear();
      return;
    }
    panes_.pcList->FinishDropOnPc();
  }
}

void CMainFrame::OnSend() { Send(false); }
void CMainFrame::OnSendXModem() { Send(true); }

void CMainFrame::OnDelete() {
  const int side = ActiveSide();
  if (side == 0) panes_.pcList->DeleteSelection();
  if (side == 1) panes_.hpList->DeleteSelection();
}

void CMainFrame::OnHome() {
  WaitCursor wait(&boundary_);
  ctx_.kermit.GoHome();
  panes_.hpList->RefreshList();
}

void CMainFrame::OnUpDir() { panes_.hpList->GoUp(); }

void CMainFrame::OnReadAll() {
  WaitCursor wait(&boundary_);
  panes_.hpTree->ShowReadingAll();
  HP48ListingLink link(ctx_.kermit);
  ReadAllListings(ctx_.cache, link, ctx_.session);
  panes_.hpList->RefreshList();
  panes_.hpTree->RebuildTree();
}

void CMainFrame::OnFinish() {
  WaitCursor wait(&boundary_);
  ctx_.kermit.Finish();
}

void CMainFrame::OnAscii() {
  if (ctx_.session.BinaryMode) {
    ctx_.session.BinaryMode = false;
    // The calculator did not take it: it still sends in binary.
    if (!ctx_.kermit.SetTransferFormat()) ctx_.session.BinaryMode = true;
  }
  UpdateStatusPanes();
}

void CMainFrame::OnBinary() {
  if (!ctx_.session.BinaryMode) {
    ctx_.session.BinaryMode = true;
    if (!ctx_.kermit.SetTransferFormat()) ctx_.session.BinaryMode = false;
  }
  UpdateStatusPanes();
}

void CMainFrame::OnArchive() {
  CArchiveNameDlg dialog(ctx_, this);
  if (dialog.exec() != QDialog::Accepted || ctx_.ArchiveName.empty()) return;
  WaitCursor wait(&boundary_);
  // Without the calculator's archive program waiting for EVAL, no archive
  // would ever come.
  if (!ctx_.kermit.StartArchive(ctx_.ArchiveName)) return;
  TransferJob& job = ctx_.session.Job;
  job.Clear();
  job.TransferList = {ctx_.ArchiveName};
  const JobOutcome outcome = RunArchivingDialog(ctx_, this);
  job.Clear();
  ctx_.kermit.m_noInitPacket = 0;
  panes_.pcList->Refresh();
  // What the backup holds, straight away: its variables can be taken out
  // of it from there.
  const auto& received = ctx_.kermit.ReceivedObjects;
  if (outcome == JobOutcome::Completed && !received.empty() &&
      std::filesystem::exists(received.back().path))
    OpenBackupFile(received.back().path);
}

void CMainFrame::OnRestore() {
  RestoreArchive(ctx_, *panes_.hpList, panes_.pcList->FocusedName());
}

void CMainFrame::OnRefresh() {
  WaitCursor wait(&boundary_);
  panes_.pcList->Refresh();
  panes_.pcTree->SyncToCurrentFolder();
  panes_.pcTree->viewport()->update();
  ctx_.cache.MarkStale();
  panes_.hpList->RefreshList();
}

void CMainFrame::OnPanic() {
  WaitCursor wait(&boundary_);
  ctx_.PanesBusy = true;
  ctx_.kermit.QueryCalculatorState();
  ctx_.cache.ClearCache();
  panes_.hpList->OnInitialUpdate();
  panes_.hpList->RefreshList();
  panes_.hpTree->OnInitialUpdate();
  panes_.hpTree->RebuildTree();
  ctx_.PanesBusy = false;
  // The PC side too starts afresh: drives mounted or gone since the start
  // show in the folder tree and in the drive selector.
  panes_.pcTree->OnInitialUpdate();
  FillDriveSelector();
}

void CMainFrame::OnAbout() {
  CAboutDlg dialog(this);
  dialog.exec();
}

void CMainFrame::OnPreview() { panes_.hpList->PreviewCurrent(); }

void CMainFrame::OnNewFolder() {
  CNewFolderDlg dialog(ctx_, this);
  if (dialog.exec() != QDialog::Accepted) return;
  WaitCursor wait(&boundary_);
  const QString name = QString::fromStdString(ctx_.NewFolderName);
  CRemoteView* list = panes_.hpList;
  for (int i = 0; i < list->topLevelItemCount(); ++i) {
    if (list->topLevelItem(i)->text(0).compare(name, Qt::CaseInsensitive) == 0) {
      boundary_.ShowMessage("Folder already exists!", "ERROR", MessageIcon::Error,
                            MessageButtons::Ok);
      return;
    }
  }
  if (name.isEmpty()) return;
  ctx_.kermit.MakeHPDirectory(ctx_.NewFolderName);
  ctx_.cache.MarkStale();
  list->RefreshList();
  list->setFocus();
}

}  // namespace dravik
