#include "pcview/pc_tree_view.h"

#include <QContextMenuEvent>
#include <QMouseEvent>
#include <QFile>
#include <algorithm>
#include <sys/stat.h>

#include "app/app_context.h"
#include "pcview/pc_item.h"
#include "pcview/pc_view.h"
#include "platform/folder_listing.h"

namespace dravik {

namespace {

// A folder closed, and open while selected.
QIcon FolderIcon() {
  QIcon icon = PaneIcon("pctree_folder_closed");
  const QString open = ":/icons/pctree_folder_open.svg";
  if (QFile::exists(open)) icon.addFile(open, QSize(), QIcon::Selected);
  return icon;
}

bool IsFolderPath(const std::string& path) {
  struct stat st{};
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool IsPlaceholder(const QTreeWidgetItem* item) {
  return item->data(0, kKindRole).toInt() == CPCTreeView::kFolderItem &&
         !item->data(0, kNameRole).isValid();
}

// Sets Syncing for as long as the tree moves itself.
class SyncGuard {
 public:
  explicit SyncGuard(bool& flag) : flag_(flag), was_(flag) { flag_ = true; }
  ~SyncGuard() { flag_ = was_; }
  SyncGuard(const SyncGuard&) = delete;
  SyncGuard& operator=(const SyncGuard&) = delete;

 private:
  bool& flag_;
  bool was_;
};

}  // namespace

CPCTreeView::CPCTreeView(AppContext& ctx, QWidget* parent) : QTreeWidget(parent), ctx_(ctx) {
  setHeaderHidden(true);
  setRootIsDecorated(true);
  setUniformRowHeights(true);
  setAcceptDrops(true);
  folderIcon_ = FolderIcon();
  connect(this, &QTreeWidget::itemExpanded, this, &CPCTreeView::OnExpanded);
  connect(this, &QTreeWidget::currentItemChanged, this,
          [this](QTreeWidgetItem* current) { OnSelected(current); });
}

void CPCTreeView::OnInitialUpdate() {
  if (ctx_.PanesBusy) return;
  SyncGuard guard(Syncing);
  dropHighlight_ = nullptr;
  clear();
  auto* root = new QTreeWidgetItem(this, {"Computer"});
  root->setIcon(0, PaneIcon("pctree_computer"));
  root->setData(0, kKindRole, kRootItem);
  drives_ = MountedDrives();
  for (const MountedDrive& d : drives_) {
    auto* drive = new QTreeWidgetItem(root, {ShownName(d.path)});
    drive->setIcon(0, DriveIcon(d.kind));
    drive->setData(0, kKindRole, kDriveItem);
    drive->setData(0, kNameRole, QByteArray::fromStdString(d.path));
    // Removable drives and CD-ROMs are read only when the user opens them.
    if (d.kind != DriveKind::Fixed || HasSubFolder(DriveFolder(d.path), ctx_.ShowHiddenFiles))
      AddPlaceholder(drive);
  }
  expandItem(root);
  if (root->childCount() > 0) SyncToCurrentFolder();
}

void CPCTreeView::AddPlaceholder(QTreeWidgetItem* item) {
  auto* placeholder = new QTreeWidgetItem(item, {"?"});
  placeholder->setIcon(0, folderIcon_);
  placeholder->setData(0, kKindRole, kFolderItem);
  // It stands for folders not read yet; there is nothing to choose in it.
  placeholder->setFlags(Qt::ItemIsEnabled);
}

std::string CPCTreeView::ItemPath(const QTreeWidgetItem* item) const {
  if (!item) return {};
  switch (item->data(0, kKindRole).toInt()) {
    case kRootItem: return {};
    case kDriveItem: return DriveFolder(ItemName(item));
    default: return ItemPath(item->parent()) + ItemName(item) + "/";
  }
}

bool CPCTreeView::FillFolder(QTreeWidgetItem* item) {
  if (!item || item->data(0, kKindRole).toInt() == kRootItem || item->childCount() == 0)
    return false;
  const std::string path = ItemPath(item);
  FolderListing listing = ListFolder(path);
  if (!listing.opened) {
    const char* what = item->data(0, kKindRole).toInt() == kDriveItem ? "Drive " : "Folder ";
    ShowPcMessage(ctx_, what + path + " could not be opened!", "ERROR", MessageIcon::Error);
    return false;
  }
  // The highlight on a folder inside goes with the old items: once the new
  // ones are there it goes back to the list's folder, not to this item.
  bool highlightInside = false;
  for (const QTreeWidgetItem* i = currentItem(); i && !highlightInside; i = i->parent())
    highlightInside = i->parent() == item;
  const bool syncing = Syncing;
  SyncGuard guard(Syncing);
  if (item == dropHighlight_ || (dropHighlight_ && dropHighlight_->parent() == item))
    dropHighlight_ = nullptr;
  qDeleteAll(item->takeChildren());
  std::vector<std::string> names;
  for (const FolderEntry& e : listing.entries)
    if (e.isFolder && e.name != ".." && (ctx_.ShowHiddenFiles || !IsHiddenName(e.name)))
      names.push_back(e.name);
  std::stable_sort(names.begin(), names.end(),
                   [](const std::string& a, const std::string& b) { return CompareFolded(a, b) < 0; });
  for (const std::string& name : names) AddFolderItem(item, name);
  if (highlightInside && !syncing) SyncToCurrentFolder();
  return true;
}

QTreeWidgetItem* CPCTreeView::AddFolderItem(QTreeWidgetItem* parent, const std::string& name) {
  auto* child = new QTreeWidgetItem(parent, {ShownName(name)});
  child->setIcon(0, folderIcon_);
  child->setData(0, kKindRole, kFolderItem);
  child->setData(0, kNameRole, QByteArray::fromStdString(name));
  if (HasSubFolder(ItemPath(child), ctx_.ShowHiddenFiles)) AddPlaceholder(child);
  return child;
}

void CPCTreeView::OnExpanded(QTreeWidgetItem* item) {
  if (Syncing || item->data(0, kKindRole).toInt() == kRootItem) return;
  // Every expansion lists the folder afresh; when that fails the message
  // has been shown and the item keeps its placeholder.
  FillFolder(item);
}

void CPCTreeView::OnSelected(QTreeWidgetItem* item) {
  if (Syncing || !item) return;
  ctx_.session.CurrentPCFolder = ItemPath(item);
  if (panes_.pcList) panes_.pcList->Refresh();
  SyncToCurrentFolder();
}

QTreeWidgetItem* CPCTreeView::DriveItemFor(const std::string& folder) const {
  const QTreeWidgetItem* root = topLevelItem(0);
  if (!root) return nullptr;
  auto holds = [&](const QTreeWidgetItem* drive) {
    return folder.compare(0, ItemPath(drive).size(), ItemPath(drive)) == 0;
  };
  // Mount points nest (/home is a folder of / too): stay on the drive the
  // user is in when it holds the folder.
  for (QTreeWidgetItem* i = currentItem(); i; i = i->parent())
    if (i->data(0, kKindRole).toInt() == kDriveItem && holds(i)) return i;
  QTreeWidgetItem* best = nullptr;
  for (int k = 0; k < root->childCount(); ++k) {
    QTreeWidgetItem* drive = root->child(k);
    if (holds(drive) && (!best || ItemPath(drive).size() > ItemPath(best).size())) best = drive;
  }
  return best;
}

QTreeWidgetItem* CPCTreeView::ChildNamed(QTreeWidgetItem* item, const std::string& name) const {
  for (int k = 0; k < item->childCount(); ++k)
    if (!IsPlaceholder(item->child(k)) && ItemName(item->child(k)) == name) return item->child(k);
  return nullptr;
}

void CPCTreeView::SelectItem(QTreeWidgetItem* item) {
  setCurrentItem(item);
  scrollToItem(item, QAbstractItemView::PositionAtCenter);
}

void CPCTreeView::SyncToCurrentFolder() {
  SyncGuard guard(Syncing);
  const std::string folder = ctx_.session.CurrentPCFolder;
  QTreeWidgetItem* root = topLevelItem(0);
  if (!root) return;
  if (folder.empty()) {
    SelectItem(root);
    return;
  }
  QTreeWidgetItem* position = DriveItemFor(folder);
  if (!position) return;
  std::string rest = folder.substr(ItemPath(position).size());
  while (!rest.empty()) {
    const size_t slash = rest.find('/');
    if (slash == 0) {
      rest.erase(0, 1);
      continue;
    }
    const std::string component = rest.substr(0, slash);
    rest = slash == std::string::npos ? std::string() : rest.substr(slash + 1);
    // A folder that had no sub-folder when its parent was filled may have
    // one now.
    if (position->childCount() == 0 && HasSubFolder(ItemPath(position), ctx_.ShowHiddenFiles))
      AddPlaceholder(position);
    if (position->childCount() > 0 && IsPlaceholder(position->child(0))) FillFolder(position);
    QTreeWidgetItem* found = ChildNamed(position, component);
    // A folder made since the last filling: fill once more.
    if (!found && FillFolder(position)) found = ChildNamed(position, component);
    // The list shows a folder the tree leaves out (a hidden one): it gets
    // an item on the way, so the tree's highlight stays on the list's folder.
    if (!found && IsFolderPath(ItemPath(position) + component + "/"))
      found = AddFolderItem(position, component);
    if (!found) return;  // gone: the selection stays
    expandItem(position);
    position = found;
  }
  SelectItem(position);
}

void CPCTreeView::Repaint() { viewport()->update(); }

void CPCTreeView::mousePressEvent(QMouseEvent* event) {
  // A right-click opens the file manager on the item; it does not make the
  // item the current folder.
  if (event->button() == Qt::RightButton) {
    event->accept();
    return;
  }
  QTreeWidget::mousePressEvent(event);
}

void CPCTreeView::contextMenuEvent(QContextMenuEvent* event) {
  const QTreeWidgetItem* item =
      event->reason() == QContextMenuEvent::Mouse ? itemAt(event->pos()) : currentItem();
  const std::string path = ItemPath(item);
  if (path.empty()) return;
  const QStringList command = FileManagerCommand(ShownName(path));
  if (command.isEmpty() || !startProgram(command))
    ShowPcMessage(ctx_, "No program was found to open " + path + ".", "ERROR", MessageIcon::Error);
}

}  // namespace dravik
