// CHPTreeView: the calculator's directories as a tree under HOME, and beside
// HOME one item per port the calculator has (":0:", ":1:"; a card port
// without a card has none). It grows as directories are shown in the object
// list and follows it; selecting or expanding an item shows its directory
// or port in the list. PC and desktop files dropped on an item are sent
// into its directory or port (a library dropped on a port is installed
// there), calculator objects dropped on it are moved there.
#pragma once

#include <QIcon>
#include <QTreeWidget>
#include <string>
#include <utility>
#include <vector>

#include "app/panes.h"
#include "hpview/hp_images.h"

namespace dravik {

struct AppContext;

class CHPTreeView : public QTreeWidget {
  Q_OBJECT

 public:
  // Item data: the item's normal image (TreeImage).
  static constexpr int kImageRole = Qt::UserRole;
  // Item data: true for the placeholder "Initializing...", which stands for
  // no directory.
  static constexpr int kPlaceholderRole = Qt::UserRole + 1;

  explicit CHPTreeView(AppContext& ctx, QWidget* parent = nullptr);

  void SetPanes(const Panes& panes) { panes_ = panes; }
  // First display: "Initializing..." until the link is up (only a repaint
  // while the panes are busy).
  void OnInitialUpdate();

  // Selects the item of CurrentHPPath and adds its children.
  void SyncToPath();
  // A new tree from HOME down to CurrentHPPath, and the ports last read
  // beside it.
  void RebuildTree();
  // Asks the line which ports the calculator has (once it has answered, on
  // a line not given up); their items follow.
  void ReadPorts();
  // Adds the missing subdirectories of the item's directory, as the cache
  // lists them, as its children.
  void AddChildren(QTreeWidgetItem* item);
  // Deletes the child of that name below the item of path.
  void RemoveChild(const std::string& path, const std::string& name);
  // A directory's listing has come (during Read all): its item is there,
  // with the subdirectories the listing names, and every item shows
  // whether it is read. The tree stays as the user left it otherwise.
  void AddDirectory(const std::string& path);
  // Every directory read and current has exactly the subdirectories its
  // listing names as children: those gone from the calculator go.
  void MatchListings();
  // "HOME\" for the root, HOME\D\ for its child D.
  std::string ItemPath(const QTreeWidgetItem* item) const;
  // The item of a path, or null when the tree does not hold it.
  QTreeWidgetItem* ItemOfPath(const std::string& path) const;

  // 1 while the program itself changes the tree: the expand and select
  // handlers then do nothing.
  int Syncing = 0;

 protected:
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dragMoveEvent(QDragMoveEvent* event) override;
  void dragLeaveEvent(QDragLeaveEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  void OnItemExpanded(QTreeWidgetItem* item);
  void OnCurrentItemChanged(QTreeWidgetItem* current, QTreeWidgetItem* previous);
  void ShowPlaceholder(const QString& text);
  // The HOME item, or null while a placeholder stands in the tree.
  QTreeWidgetItem* Root() const;
  // The items of the ports beside HOME, as ports_ says.
  void AddPortItems();
  bool IsDirectoryItem(const QTreeWidgetItem* item) const;
  QTreeWidgetItem* FindChild(QTreeWidgetItem* parent, const QString& name) const;
  QTreeWidgetItem* InsertChild(QTreeWidgetItem* parent, const QString& name);
  void SetImages(QTreeWidgetItem* item, TreeImage normal, TreeImage selected);
  // Every directory item shows whether its listing is cached and current.
  void UpdateImages();
  void SetDropHighlight(QTreeWidgetItem* item);

  AppContext& ctx_;
  Panes panes_;
  QIcon homeIcon_, currentIcon_, staleIcon_;
  // The ports the calculator answered for, with their free bytes.
  std::vector<std::pair<int, std::string>> ports_;
  QTreeWidgetItem* dropHighlight_ = nullptr;
};

}  // namespace dravik
