// CPCTreeView: "Computer", the mounted file systems as drives and their
// folders, filled as the user expands them; follows CurrentPCFolder.
#pragma once

#include <QTreeWidget>
#include <string>
#include <vector>

#include "app/panes.h"
#include "pcview/desktop_launch.h"
#include "platform/mounts.h"

namespace dravik {

struct AppContext;

class CPCTreeView : public QTreeWidget {
  Q_OBJECT

 public:
  // Item data (kKindRole) of the tree.
  static constexpr int kRootItem = 0;
  static constexpr int kDriveItem = 1;
  static constexpr int kFolderItem = 2;  // also the "?" placeholder

  explicit CPCTreeView(AppContext& ctx, QWidget* parent = nullptr);

  void SetPanes(const Panes& panes) { panes_ = panes; }
  // Builds the tree: the root, the drives, and the way to CurrentPCFolder
  // (nothing while the panes are busy).
  void OnInitialUpdate();

  // Selects the item of CurrentPCFolder, filling folders on the way.
  void SyncToCurrentFolder();
  // Replaces the children of a drive or folder item with its sub-folders.
  bool FillFolder(QTreeWidgetItem* item);
  // The folder path of an item, ending with '/'; empty for the root.
  std::string ItemPath(const QTreeWidgetItem* item) const;
  // Redraws the whole tree.
  void Repaint();
  // The drives as the tree shows them.
  const std::vector<MountedDrive>& Drives() const { return drives_; }

  bool Syncing = false;

  // Starts the file manager; tests put their own here.
  ProgramStarter startProgram = StartDetached;

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dragMoveEvent(QDragMoveEvent* event) override;
  void dragLeaveEvent(QDragLeaveEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  void OnExpanded(QTreeWidgetItem* item);
  void OnSelected(QTreeWidgetItem* item);
  void AddPlaceholder(QTreeWidgetItem* item);
  // A folder item named name below parent (with a placeholder when it
  // holds folders the tree shows).
  QTreeWidgetItem* AddFolderItem(QTreeWidgetItem* parent, const std::string& name);
  // The drive item whose folder holds CurrentPCFolder: the selected one's
  // drive when it does, else the one with the longest mount point.
  QTreeWidgetItem* DriveItemFor(const std::string& folder) const;
  QTreeWidgetItem* ChildNamed(QTreeWidgetItem* item, const std::string& name) const;
  void SelectItem(QTreeWidgetItem* item);
  void SetDropHighlight(QTreeWidgetItem* item);

  AppContext& ctx_;
  Panes panes_;
  std::vector<MountedDrive> drives_;
  QIcon folderIcon_;
  QTreeWidgetItem* dropHighlight_ = nullptr;
};

}  // namespace dravik
