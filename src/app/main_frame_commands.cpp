// The commands of CMainFrame: sending and deleting (on the side the user
// works on), the calculator's directories, its transfer mode, archive and
// restore, Refresh, Panic and About.
#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QPointer>
#include <filesystem>

#include "app/about_dlg.h"
#include "app/app_context.h"
#include "app/library_install_command.h"
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
#include "pcview/pc_item.h"
#include "pcview/pc_tree_view.h"
#include "pcview/pc_view.h"

namespace dravik {

void CMainFrame::Send(bool xmodem) { SendFrom(ActiveSide(), xmodem); }

void CMainFrame::SendFrom(int side, bool xmodem) {
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
  ctx_.line.Run<int>(
      "Going to HOME", [](LineSide& line) { return line.kermit.GoHome(); },
      [this](int) {
        ctx_.session.CurrentHPPath = "HOME\\";
        panes_.hpList->RefreshList();
      });
}

void CMainFrame::OnUpDir() { panes_.hpList->GoUp(); }

void CMainFrame::OnReadAll() {
  // Each directory shows as soon as it is read: the tree and the list stay
  // browsable while the walk goes on, and a walk that ends early (stopped,
  // or a calculator fallen silent) leaves everything read before as it was.
  QPointer<CRemoteView> list(panes_.hpList);
  ctx_.line.Run<int>(
      "Reading all directories",
      [list](LineSide& line) {
        ListingCache read(line.session);
        HP48ListingLink link(line.kermit);
        auto show = [list](const ListingEntry& entry) {
          QMetaObject::invokeMethod(
              qApp, [list, entry] { if (list) list->TakeListing(entry); }, Qt::QueuedConnection);
        };
        return ReadAllListings(read, link, line.session, show);
      },
      [this](int complete) {
        if (!complete) {
          // Given up in the no-response handling: one message was enough.
          if (ctx_.session.LinkClosedByUser) panes_.hpList->DropWaitingReads();
          return;
        }
        // Every directory was read: those gone from the calculator leave
        // the tree, and a shown one that went gives way to HOME.
        panes_.hpTree->MatchListings();
        if (ctx_.cache.FindEntry(ctx_.session.CurrentHPPath) < 0) {
          ctx_.session.CurrentHPPath = "HOME\\";
          panes_.hpList->RefreshList();
        }
      });
}

void CMainFrame::OnFinish() {
  ctx_.line.Run<int>("Finishing the server", [](LineSide& line) { return line.kermit.Finish(); });
}

void CMainFrame::SetBinaryMode(bool binary) {
  if (ctx_.session.BinaryMode == binary) {
    UpdateStatusPanes();
    return;
  }
  ctx_.line.Run<int>(
      binary ? "Switching to Binary" : "Switching to ASCII",
      [binary](LineSide& line) {
        line.session.BinaryMode = binary;
        // The calculator did not take it: it still sends as before.
        if (!line.kermit.SetTransferFormat()) line.session.BinaryMode = !binary;
        return 1;
      },
      [this](int) { UpdateStatusPanes(); });
  // The menu shows the mode the calculator is in until it has answered.
  UpdateStatusPanes();
}

void CMainFrame::OnAscii() { SetBinaryMode(false); }
void CMainFrame::OnBinary() { SetBinaryMode(true); }

void CMainFrame::OnArchive() {
  CArchiveNameDlg dialog(ctx_, this);
  if (dialog.exec() != QDialog::Accepted || ctx_.ArchiveName.empty()) return;
  const std::string folder = ctx_.session.CurrentPCFolder;
  StartArchive(ctx_, this, [this, folder](JobResult result) {
    if (ctx_.session.CurrentPCFolder == folder) panes_.pcList->Refresh();
    // What the backup holds, straight away: its variables can be taken out
    // of it from there.
    if (result.outcome == JobOutcome::Completed && !result.received.empty() &&
        std::filesystem::exists(result.received.back().path))
      OpenBackupFile(result.received.back().path);
  });
}

void CMainFrame::OnRestore() {
  const std::string folder = ctx_.session.CurrentPCFolder;
  std::string file = folder + panes_.pcList->FocusedName();
  // No file chosen in the PC list: the user picks the backup here.
  if (panes_.pcList->FocusedName().empty() || folder.empty()) {
    const QString chosen = QFileDialog::getOpenFileName(this, "Restore", ShownName(folder),
                                                        "All files (*)");
    if (chosen.isEmpty()) return;
    file = QFile::encodeName(chosen).toStdString();
  }
  RestoreArchive(ctx_, *panes_.hpList, file);
}

void CMainFrame::OnInstallLibrary() {
  // The library with the focus in the PC list, else one the user picks.
  const std::string focused = panes_.pcList->FocusedName();
  std::string file = focused.empty() ? std::string() : ctx_.session.CurrentPCFolder + focused;
  if (!file.empty() && !IsLibraryFile(file)) file.clear();
  InstallLibraryCommand(ctx_, *panes_.hpList, this, file, std::nullopt);
}

void CMainFrame::OnRefresh() {
  panes_.pcList->Refresh();
  panes_.pcTree->SyncToCurrentFolder();
  panes_.pcTree->viewport()->update();
  ctx_.cache.MarkStale();
  // A line given up or gone (the device came back at the same path) is
  // opened and checked again first.
  if (ctx_.session.LinkClosedByUser || !ctx_.line.PortOpen()) {
    OnConnect();
    return;
  }
  panes_.hpList->RefreshList();
}

void CMainFrame::OnConnect() {
  ConnectWith(false, [this](bool connected) {
    if (!connected) return;
    ctx_.cache.MarkStale();
    panes_.hpList->RefreshList();
    panes_.hpTree->RebuildTree();
    panes_.hpTree->ReadPorts();
  });
}

void CMainFrame::OnPanic() {
  ctx_.line.Run<int>(
      "Checking the calculator", [](LineSide& line) { return line.kermit.QueryCalculatorState(); },
      [this](int answered) {
        if (answered) ctx_.CalculatorAnswered = true;
        ctx_.PanesBusy = true;
        ctx_.cache.ClearCache();
        panes_.hpList->OnInitialUpdate();
        panes_.hpList->RefreshList();
        panes_.hpTree->OnInitialUpdate();
        panes_.hpTree->RebuildTree();
        panes_.hpTree->ReadPorts();
        ctx_.PanesBusy = false;
        UpdateStatusPanes();
      });
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
  const std::string folder = ctx_.NewFolderName;
  const std::string path = ctx_.session.CurrentHPPath;
  ctx_.line.Run<int>(
      "Creating " + folder,
      [folder](LineSide& line) { return line.kermit.MakeHPDirectory(folder); },
      [this, list, path](int) {
        ctx_.cache.MarkStale(path);
        if (!hp_path::IsHome(path)) ctx_.cache.MarkStale(hp_path::Parent(path));
        if (ctx_.session.CurrentHPPath == path) list->RefreshList();
        list->setFocus();
      });
}

}  // namespace dravik
