// CPCView: the folders and files of CurrentPCFolder, with the columns
// "Name" and "Size"; the PC end of every transfer started by the mouse.
#pragma once

#include <QFileIconProvider>
#include <QIcon>
#include <QTreeWidget>
#include <string>
#include <vector>

#include "app/panes.h"
#include "link/session.h"
#include "pcview/desktop_launch.h"

class QFileSystemWatcher;
class QTimer;

namespace dravik {

struct AppContext;

class CPCView : public QTreeWidget {
  Q_OBJECT

 public:
  // Item data (kKindRole) of the list: every folder, "..", and the drives
  // of the computer view, is kFolderItem.
  static constexpr int kFileItem = 0;
  static constexpr int kFolderItem = 1;

  // Starts in CurrentPCFolder when it is set, else in the favourite folder
  // of Dravik.ini, else (none, or it is gone) in the home folder.
  explicit CPCView(AppContext& ctx, QWidget* parent = nullptr);
  ~CPCView() override;

  void SetPanes(const Panes& panes) { panes_ = panes; }
  // First display: columns, icons and the first listing (nothing while the
  // panes are busy).
  void OnInitialUpdate();

  // Lists CurrentPCFolder: folders first, ".." on top, sorted by name;
  // hidden files and folders only when the View menu asks for them. The
  // empty folder is the computer: its drives are listed. The folder is
  // watched from then on: what other programs add, remove or resize there
  // shows without F5 (FollowDisk).
  void Refresh();
  // The shown folder changed on the disk: it is listed again when what the
  // list shows no longer matches, keeping the selection and the focus on
  // the files still there; a folder that went gives way to the nearest
  // folder above it.
  void FollowDisk();
  // Enters the named sub-folder (or drive), or the parent for "..", and
  // keeps the folder tree on it.
  void ChangeFolder(const std::string& name);
  // Puts the selected files into TransferList/TransferSizes in list order;
  // folders and ".." are left out. The count.
  int FillTransferList();
  // Ends a drag on the PC side: receives calculator objects into
  // CurrentPCFolder, or clears a PC drag.
  void FinishDropOnPc();
  // Names of a receive that are taken in folder already: the user says,
  // once, whether they replace the files there (which go to the trash),
  // come beside them (NAME.1, or NAME.2 when that is taken too, ...) or
  // are left out. False when nothing is left to receive.
  bool SettleExistingFiles(TransferJob& job, const std::string& folder);
  // Deletes the selected files and folders to the trash after a
  // confirmation.
  void DeleteSelection();
  // The name of the file with the keyboard focus (empty when none, or when
  // the focus is on a folder: Restore sends it as a backup).
  std::string FocusedName() const;

  // Moves the files of TransferList into folder, asking before a file of
  // the same name there is replaced; then lists again.
  void MoveFilesInto(const std::string& folder);
  // Runs the session's job of a drop that landed on this pane or on the
  // folder tree; targetFolder is the folder under the mouse (empty for
  // none).
  void RunDrop(const std::string& targetFolder);

  // Name sort: the direction, and the header click that reverses it.
  bool Ascending() const { return ascending_; }
  void ReverseSort();

  // Double-click and Enter: a folder is entered, a backup opens in the
  // "Backup" window, any other file in the desktop's text editor.
  void OpenItem(QTreeWidgetItem* item);
  // Right-click: the desktop's file manager on the item's folder (the
  // current folder on empty space or a file). On a calculator file in
  // binary form a menu offers it with "Open as Backup...".
  void ExploreItem(QTreeWidgetItem* item);

  // The icon slot of an item, and the slots of the image list.
  static int IconSlot(const QTreeWidgetItem* item);
  int ImageCount() const { return static_cast<int>(images_.size()); }
  // "Check out" classifies a long listing a part at a time, so that the
  // list shows at once and the window stays responsive.
  bool ClassificationPending() const { return classifyNext_ < topLevelItemCount(); }
  void ClassifyRemaining();

  // Starts the editor and the file manager; tests put their own here.
  ProgramStarter startProgram = StartDetached;

 signals:
  // "Open as Backup..." on the file at path, or a backup opened.
  void openBackupRequested(const QString& path);
  // "Send" or "Send by XModem" chosen on the selection's context menu.
  void sendRequested(bool xmodem);
  // The folder was listed again: the rows are new.
  void rowsReplaced();

 protected:
  // Tool tips are made when asked for: what a calculator file holds, a
  // picture's preview (pc_file_tip.h).
  bool viewportEvent(QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;
  void startDrag(Qt::DropActions supported) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dragMoveEvent(QDragMoveEvent* event) override;
  void dragLeaveEvent(QDragLeaveEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  void SetUpColumns();
  void ListDrives();
  void ListFolder();
  // What ListFolder would show now matches the items.
  bool ShowsDisk() const;
  void Watch(const std::string& folder);
  void AddItem(const std::string& name, int kind, uint64_t size, const QIcon& icon, int slot);
  void SortItems();
  void SetIconSlot(QTreeWidgetItem* item, int slot);
  // Classifies items for at most budgetMs; ClassifyRemaining goes on later.
  void ClassifySome(int budgetMs);
  int ClassifyFile(QTreeWidgetItem* item);
  void SetDropHighlight(QTreeWidgetItem* item);
  bool TakesDrop(const QDropEvent* event, QTreeWidgetItem* item) const;
  // The folder a child item stands for.
  std::string FolderOfItem(const QTreeWidgetItem* item) const;
  bool Launch(const QStringList& command, const QString& what);
  // A calculator file in binary form holding a backup (the Archive result).
  static bool IsBackupFile(const std::string& path);

  AppContext& ctx_;
  Panes panes_;
  bool columnsReady_ = false;
  bool ascending_ = true;
  // The image list: slots 0 to 5 fixed, the desktop's icons from 6 on,
  // reused by each listing.
  std::vector<QIcon> images_;
  int nextDynamicSlot_ = 6;
  int classifyNext_ = 0;
  QTimer* classifyTimer_ = nullptr;
  QFileSystemWatcher* watcher_ = nullptr;
  // Changes come in bursts (a copy writes many times): one listing after
  // the burst.
  QTimer* diskTimer_ = nullptr;
  QFileIconProvider iconProvider_;
  QTreeWidgetItem* PCDropHighlightItem = nullptr;
};

}  // namespace dravik
