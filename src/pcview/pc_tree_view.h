// CPCTreeView: "Computer", the mounted file systems as drives and their
// folders, filled as the user expands them; follows CurrentPCFolder.
#pragma once

#include <QTreeWidget>
#include <string>

#include "app/panes.h"

namespace dravik {

struct AppContext;

class CPCTreeView : public QTreeWidget {
  Q_OBJECT

 public:
  explicit CPCTreeView(AppContext& ctx, QWidget* parent = nullptr);

  void SetPanes(const Panes& panes) { panes_ = panes; }
  void OnInitialUpdate();

  // Selects the item of CurrentPCFolder, filling folders on the way.
  void SyncToCurrentFolder();
  // Replaces the children of a drive or folder item with its sub-folders.
  bool FillFolder(QTreeWidgetItem* item);
  // The folder path of an item, ending with '/'; empty for the root.
  std::string ItemPath(const QTreeWidgetItem* item) const;

  bool Syncing = false;

 private:
  AppContext& ctx_;
  Panes panes_;
};

}  // namespace dravik
