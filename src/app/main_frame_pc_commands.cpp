// The PC-side commands of CMainFrame: the drive selector, the favourite
// folder, the "Check out" mode, hidden files and the Backup window.
#include <QAbstractItemView>
#include <QAction>
#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <filesystem>

#include "app/app_context.h"
#include "app/backup_window.h"
#include "app/main_frame.h"
#include "settings/settings_file.h"
#include "pcview/pc_item.h"
#include "pcview/pc_tree_view.h"
#include "pcview/pc_view.h"

namespace dravik {

void CMainFrame::FillDriveSelector() {
  driveCombo_->clear();
  const std::vector<MountedDrive>& drives = panes_.pcTree->Drives();
  for (const MountedDrive& d : drives)
    driveCombo_->addItem(DriveIcon(d.kind), ShownName(d.path), QByteArray::fromStdString(d.path));
  SelectCurrentDrive();
}

void CMainFrame::SelectCurrentDrive() {
  // Not before the panes exist, nor under the user's hands while the list
  // is open.
  if (!panes_.pcTree || !driveCombo_ || driveCombo_->view()->isVisible()) return;
  const std::vector<MountedDrive>& drives = panes_.pcTree->Drives();
  if (const MountedDrive* current = DriveOf(drives, ctx_.session.CurrentPCFolder)) {
    const int index = static_cast<int>(current - drives.data());
    if (index < driveCombo_->count()) driveCombo_->setCurrentIndex(index);
  }
}

void CMainFrame::OnDriveChange(int index) {
  const QByteArray path = driveCombo_->itemData(index).toByteArray();
  if (path.isEmpty()) return;
  ctx_.session.CurrentPCFolder = DriveFolder(path.toStdString());
  panes_.pcList->Refresh();
  panes_.pcTree->SyncToCurrentFolder();
  panes_.pcTree->setFocus();
}

void CMainFrame::OnSetFavoritePath() {
  Session& s = ctx_.session;
  const std::string folder = s.CurrentPCFolder;
  const std::string file = SettingsFilePath();
  std::string problem;
  if (folder.empty()) {
    problem = "Choose a folder first: the computer itself cannot be the favorite path.";
  } else if (folder.size() > kFavoritePathMax) {
    // Cut short it would name another folder.
    problem = "The favorite path can hold at most " + std::to_string(kFavoritePathMax) +
              " bytes; " + folder + " is longer.";
  } else if (std::error_code ec; !std::filesystem::exists(file, ec)) {
    s.FavoritePath = folder;
    problem = "There is no settings file " + file + " yet to keep the favorite path in.\n" +
              folder + " is kept for this run, and saved with the next OK in the "
              "communication settings.";
  } else if (!SaveFavoritePath(s, folder, file)) {
    problem = "Could not write the favorite path to " + file + ".";
  }
  if (!problem.empty()) {
    ShowPcMessage(ctx_, problem, "ERROR", MessageIcon::Error);
    return;
  }
  SetMessageText(QString::fromStdString("Favorite path: " + folder));
}

void CMainFrame::OnCheckOut() {
  ctx_.CheckOutMode = !ctx_.CheckOutMode;
  action(Command::CheckOut)->setChecked(ctx_.CheckOutMode);
  panes_.pcList->Refresh();
}

void CMainFrame::OnShowHiddenFiles() {
  ctx_.ShowHiddenFiles = !ctx_.ShowHiddenFiles;
  action(Command::ShowHiddenFiles)->setChecked(ctx_.ShowHiddenFiles);
  panes_.pcList->Refresh();
  // The tree's folders are read again with or without the hidden ones.
  panes_.pcTree->OnInitialUpdate();
}

void CMainFrame::OnOpenBackup() {
  const std::string& folder = ctx_.session.CurrentPCFolder;
  const QString file = QFileDialog::getOpenFileName(
      this, "Open Backup", ShownName(folder + panes_.pcList->FocusedName()), "All files (*)");
  if (!file.isEmpty()) OpenBackupFile(QFile::encodeName(file).toStdString());
}

CBackupWindow* CMainFrame::OpenBackupFile(const std::string& file) {
  return CBackupWindow::Open(ctx_, panes_, file, this);
}

}  // namespace dravik
