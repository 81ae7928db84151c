// CHPTreeView: the calculator's directories as a tree under HOME. It grows
// as directories are shown in the object list and follows it.
#pragma once

#include <QTreeWidget>
#include <string>

#include "app/panes.h"

namespace dravik {

struct AppContext;

class CHPTreeView : public QTreeWidget {
  Q_OBJECT

 public:
  explicit CHPTreeView(AppContext& ctx, QWidget* parent = nullptr);

  void SetPanes(const Panes& panes) { panes_ = panes; }
  // First display: "Initializing..." until the link is up.
  void OnInitialUpdate();

  // Selects the item of CurrentHPPath and adds its children.
  void SyncToPath();
  // A new tree from HOME down to CurrentHPPath.
  void RebuildTree();
  // Adds the object list's missing subdirectories below the item.
  void AddChildren(QTreeWidgetItem* item);
  // Deletes the child of that name below the selected item.
  void RemoveChild(const std::string& name);
  // The placeholder "Reading all directories..." during Read all.
  void ShowReadingAll();
  // "HOME\" for the root, HOME\D\ for its child D.
  std::string ItemPath(const QTreeWidgetItem* item) const;

  // 1 while the program itself changes the tree: the expand and select
  // handlers then do nothing.
  int Syncing = 0;

 private:
  AppContext& ctx_;
  Panes panes_;
};

}  // namespace dravik
