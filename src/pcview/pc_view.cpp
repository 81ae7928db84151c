#include "pcview/pc_view.h"

#include <QContextMenuEvent>
#include <QDir>
#include <QFileSystemWatcher>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenu>
#include <QScrollBar>
#include <QTimer>
#include <QToolTip>
#include <algorithm>
#include <set>
#include <tuple>
#include <sys/stat.h>

#include "app/held_shift_press.h"
#include "app/xmodem_offer.h"
#include "app/app_context.h"
#include "settings/settings_file.h"
#include "grob/picture_file.h"
#include "hpfile/calculator_file.h"
#include "pcview/pc_file_kind.h"
#include "pcview/pc_file_tip.h"
#include "pcview/pc_item.h"
#include "pcview/pc_tree_view.h"
#include "platform/config_folder.h"
#include "platform/folder_listing.h"
#include "platform/mounts.h"

namespace dravik {

namespace {

bool IsFolder(const std::string& path) {
  struct stat st{};
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// The favourite folder of Dravik.ini while it exists, else the home folder.
std::string StartingFolder() {
  std::string favorite = ReadFavoritePath();
  if (!favorite.empty() && favorite.back() != '/') favorite += '/';
  if (!favorite.empty() && favorite.front() == '/' && IsFolder(favorite)) return favorite;
  return HomeFolder();
}

// Folders before files, ".." on top, each group by name in the direction.
void SortEntries(std::vector<FolderEntry>& entries, bool ascending) {
  auto first = entries.begin();
  if (first != entries.end() && first->name == "..") ++first;
  auto files = std::stable_partition(first, entries.end(),
                                     [](const FolderEntry& e) { return e.isFolder; });
  auto byName = [ascending](const FolderEntry& a, const FolderEntry& b) {
    const int c = CompareFolded(a.name, b.name);
    return ascending ? c < 0 : c > 0;
  };
  std::stable_sort(first, files, byName);
  std::stable_sort(files, entries.end(), byName);
}

}  // namespace

CPCView::CPCView(AppContext& ctx, QWidget* parent) : QTreeWidget(parent), ctx_(ctx) {
  setRootIsDecorated(false);
  setUniformRowHeights(true);
  new HeldShiftPress(this, [this] { startDrag(supportedDropActions()); });
  setSelectionMode(QAbstractItemView::ExtendedSelection);
  setAllColumnsShowFocus(true);
  setDragEnabled(true);
  setAcceptDrops(true);
  setHeaderLabels({"Name", "Size"});
  Session& s = ctx_.session;
  s.Job.SendJobActive = false;
  if (s.CurrentPCFolder.empty()) s.CurrentPCFolder = StartingFolder();
  s.FavoritePath = s.CurrentPCFolder;
  classifyTimer_ = new QTimer(this);
  classifyTimer_->setInterval(0);
  connect(classifyTimer_, &QTimer::timeout, this, [this] { ClassifySome(20); });
  watcher_ = new QFileSystemWatcher(this);
  diskTimer_ = new QTimer(this);
  diskTimer_->setSingleShot(true);
  diskTimer_->setInterval(200);
  connect(watcher_, &QFileSystemWatcher::directoryChanged, diskTimer_,
          qOverload<>(&QTimer::start));
  connect(diskTimer_, &QTimer::timeout, this, &CPCView::FollowDisk);
  connect(this, &QTreeWidget::itemDoubleClicked, this,
          [this](QTreeWidgetItem* item) { OpenItem(item); });
  connect(header(), &QHeaderView::sectionClicked, this, [this](int column) {
    if (column == 0) ReverseSort();
  });
}

CPCView::~CPCView() = default;

void CPCView::OnInitialUpdate() {
  if (ctx_.PanesBusy) return;
  SetUpColumns();
  Refresh();
}

void CPCView::SetUpColumns() {
  if (columnsReady_) return;
  columnsReady_ = true;
  images_ = {PaneIcon("pc_folder"), PaneIcon("pc_file"),    PaneIcon("pc_hp_binary"),
             PaneIcon("pc_hp_text"), PaneIcon("pc_picture"), PaneIcon("pc_ga0")};
  setColumnWidth(0, 150);
  setColumnWidth(1, 80);
  headerItem()->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
  header()->setStretchLastSection(false);
  header()->setSectionsClickable(true);
  header()->setSortIndicatorShown(true);
  header()->setSortIndicator(0, Qt::AscendingOrder);
}

void CPCView::Refresh() {
  SetUpColumns();
  classifyTimer_->stop();
  PCDropHighlightItem = nullptr;
  clear();
  classifyNext_ = 0;
  nextDynamicSlot_ = kFirstDesktopSlot;
  if (ctx_.session.CurrentPCFolder.empty())
    ListDrives();
  else
    ListFolder();
  Watch(ctx_.session.CurrentPCFolder);
  if (ctx_.CheckOutMode) {
    ClassifySome(20);
    if (ClassificationPending()) classifyTimer_->start();
  } else {
    classifyNext_ = topLevelItemCount();
  }
  emit rowsReplaced();
}

void CPCView::ListDrives() {
  std::vector<MountedDrive> drives = MountedDrives();
  std::stable_sort(drives.begin(), drives.end(), [this](const auto& a, const auto& b) {
    const int c = CompareFolded(a.path, b.path);
    return ascending_ ? c < 0 : c > 0;
  });
  for (const MountedDrive& d : drives) AddItem(d.path, kFolderItem, 0, DriveIcon(d.kind), kSlotFolder);
}

void CPCView::ListFolder() {
  const std::string& folder = ctx_.session.CurrentPCFolder;
  FolderListing listing = dravik::ListFolder(folder);
  if (!listing.opened) {
    ShowPcMessage(ctx_, "Cannot open " + folder + ": " + listing.error, "Fehler",
                  MessageIcon::Error);
    return;
  }
  if (!ctx_.ShowHiddenFiles)
    std::erase_if(listing.entries, [](const FolderEntry& e) { return IsHiddenName(e.name); });
  SortEntries(listing.entries, ascending_);
  QList<QTreeWidgetItem*> items;
  items.reserve(static_cast<qsizetype>(listing.entries.size()));
  for (const FolderEntry& e : listing.entries) {
    auto* item = new QTreeWidgetItem;
    item->setText(0, ShownName(e.name));
    item->setData(0, kNameRole, QByteArray::fromStdString(e.name));
    item->setData(0, kKindRole, e.isFolder ? kFolderItem : kFileItem);
    if (!e.isFolder) {
      item->setText(1, QString::number(e.size));
      item->setData(0, kSizeRole, static_cast<qulonglong>(e.size));
      item->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
    }
    // Files wait for "Check out" with the plain page.
    SetIconSlot(item, e.isFolder ? kSlotFolder : kSlotFile);
    items.push_back(item);
  }
  addTopLevelItems(items);
  if (!listing.complete)
    ShowPcMessage(ctx_, folder + " could not be read completely: " + listing.error, "ERROR!",
                  MessageIcon::Error);
}

void CPCView::Watch(const std::string& folder) {
  const QStringList watched = watcher_->directories();
  const QString now = folder.empty() ? QString() : ShownName(folder);
  if (watched.size() == 1 && watched.front() == now) return;
  if (!watched.isEmpty()) watcher_->removePaths(watched);
  if (!now.isEmpty()) watcher_->addPath(now);
}

bool CPCView::ShowsDisk() const {
  FolderListing listing = dravik::ListFolder(ctx_.session.CurrentPCFolder);
  if (!listing.opened || !listing.complete) return false;
  std::vector<std::tuple<std::string, bool, uint64_t>> disk, shown;
  for (const FolderEntry& e : listing.entries)
    if (ctx_.ShowHiddenFiles || !IsHiddenName(e.name))
      disk.emplace_back(e.name, e.isFolder, e.size);
  for (int i = 0; i < topLevelItemCount(); ++i) {
    const QTreeWidgetItem* item = topLevelItem(i);
    const bool folder = item->data(0, kKindRole).toInt() == kFolderItem;
    shown.emplace_back(ItemName(item), folder,
                       folder ? 0 : item->data(0, kSizeRole).toULongLong());
  }
  std::sort(disk.begin(), disk.end());
  std::sort(shown.begin(), shown.end());
  return disk == shown;
}

void CPCView::FollowDisk() {
  std::string& folder = ctx_.session.CurrentPCFolder;
  if (folder.empty()) return;
  if (!IsFolder(folder)) {
    // Moved or deleted by another program: the nearest folder above it.
    while (folder != "/" && !folder.empty() && !IsFolder(folder)) folder = ParentFolder(folder);
    Refresh();
    if (panes_.pcTree) panes_.pcTree->SyncToCurrentFolder();
    return;
  }
  if (ShowsDisk()) return;
  std::set<std::string> selected;
  for (const QTreeWidgetItem* item : selectedItems()) selected.insert(ItemName(item));
  const std::string focus = currentItem() ? ItemName(currentItem()) : std::string();
  const int scrolled = verticalScrollBar()->value();
  Refresh();
  for (int i = 0; i < topLevelItemCount(); ++i) {
    QTreeWidgetItem* item = topLevelItem(i);
    const std::string name = ItemName(item);
    if (name == focus) setCurrentItem(item, 0, QItemSelectionModel::NoUpdate);
    if (selected.count(name)) item->setSelected(true);
  }
  verticalScrollBar()->setValue(scrolled);
}

void CPCView::AddItem(const std::string& name, int kind, uint64_t size, const QIcon& icon,
                      int slot) {
  auto* item = new QTreeWidgetItem(this);
  item->setText(0, ShownName(name));
  item->setData(0, kNameRole, QByteArray::fromStdString(name));
  item->setData(0, kKindRole, kind);
  item->setData(0, kSizeRole, static_cast<qulonglong>(size));
  item->setData(0, kSlotRole, slot);
  item->setIcon(0, icon);
}

void CPCView::SetIconSlot(QTreeWidgetItem* item, int slot) {
  item->setData(0, kSlotRole, slot);
  if (slot >= 0 && slot < static_cast<int>(images_.size())) item->setIcon(0, images_[slot]);
}

int CPCView::IconSlot(const QTreeWidgetItem* item) {
  return item ? item->data(0, kSlotRole).toInt() : -1;
}

void CPCView::ReverseSort() {
  ascending_ = !ascending_;
  header()->setSortIndicator(0, ascending_ ? Qt::AscendingOrder : Qt::DescendingOrder);
  SortItems();
}

// Re-sorts the items as they are, folders and files apart, ".." on top; the
// selection and the focus stay with their items.
void CPCView::SortItems() {
  QTreeWidgetItem* focus = currentItem();
  QList<QTreeWidgetItem*> selected = selectedItems();
  const bool pending = ClassificationPending();
  QList<QTreeWidgetItem*> items = invisibleRootItem()->takeChildren();
  auto first = items.begin();
  if (first != items.end() && ItemName(*first) == "..") ++first;
  auto files = std::stable_partition(first, items.end(), [](const QTreeWidgetItem* i) {
    return i->data(0, kKindRole).toInt() == kFolderItem;
  });
  auto byName = [this](const QTreeWidgetItem* a, const QTreeWidgetItem* b) {
    const QByteArray x = a->data(0, kNameRole).toByteArray();
    const QByteArray y = b->data(0, kNameRole).toByteArray();
    const int c = CompareFolded({x.constData(), static_cast<size_t>(x.size())},
                                {y.constData(), static_cast<size_t>(y.size())});
    return ascending_ ? c < 0 : c > 0;
  };
  std::stable_sort(first, files, byName);
  std::stable_sort(files, items.end(), byName);
  addTopLevelItems(items);
  // Check out goes on from the top; items it has done are passed over.
  classifyNext_ = pending ? 0 : topLevelItemCount();
  if (focus) setCurrentItem(focus, 0, QItemSelectionModel::NoUpdate);
  for (QTreeWidgetItem* item : selected) item->setSelected(true);
}

std::string CPCView::FolderOfItem(const QTreeWidgetItem* item) const {
  const std::string& folder = ctx_.session.CurrentPCFolder;
  const std::string name = ItemName(item);
  if (folder.empty()) return DriveFolder(name);
  if (name == "..") return ParentFolder(folder);
  return folder + name + "/";
}

void CPCView::ChangeFolder(const std::string& name) {
  std::string& folder = ctx_.session.CurrentPCFolder;
  if (name == "..") {
    if (folder.empty()) return;
    folder = ParentFolder(folder);
  } else if (folder.empty()) {
    folder = DriveFolder(name);
  } else {
    folder += name + "/";
  }
  Refresh();
  if (panes_.pcTree) panes_.pcTree->SyncToCurrentFolder();
}

std::string CPCView::FocusedName() const {
  const QTreeWidgetItem* item = currentItem();
  if (!item || item->data(0, kKindRole).toInt() != kFileItem) return {};
  return ItemName(item);
}

void CPCView::OpenItem(QTreeWidgetItem* item) {
  if (!item) return;
  const std::string name = ItemName(item);
  if (name == ".." || item->data(0, kKindRole).toInt() == kFolderItem) {
    ChangeFolder(name);
    return;
  }
  const std::string path = ctx_.session.CurrentPCFolder + name;
  const QString file = ShownName(path);
  // A backup is binary: a text editor would show nothing of it.
  if (IsBackupFile(path)) {
    emit openBackupRequested(file);
    return;
  }
  Launch(TextEditorCommand(file), file);
}

bool CPCView::IsBackupFile(const std::string& path) {
  std::vector<uint8_t> bytes;
  if (ClassifyByContent(path) != kSlotHpBinary ||
      ReadPictureFile(path, bytes) != PictureReadStatus::Ok)
    return false;
  return ReadCalculatorFile(std::move(bytes)).backup;
}

void CPCView::ExploreItem(QTreeWidgetItem* item) {
  std::string folder = ctx_.session.CurrentPCFolder;
  if (item && item->data(0, kKindRole).toInt() == kFolderItem) folder = FolderOfItem(item);
  if (folder.empty()) return;  // the computer itself has no folder to show
  const QString path = ShownName(folder);
  Launch(FileManagerCommand(path), path);
}

bool CPCView::Launch(const QStringList& command, const QString& what) {
  if (command.isEmpty()) {
    ShowPcMessage(ctx_, "No program was found to open " + what.toStdString() + ".", "ERROR",
                  MessageIcon::Error);
    return false;
  }
  if (startProgram(command)) return true;
  ShowPcMessage(ctx_, "Could not start " + command.front().toStdString() + ".", "ERROR",
                MessageIcon::Error);
  return false;
}

void CPCView::keyPressEvent(QKeyEvent* event) {
  switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
      OpenItem(currentItem());
      return;
    case Qt::Key_Backspace:
      ChangeFolder("..");
      return;
    default:
      QTreeWidget::keyPressEvent(event);
  }
}

void CPCView::contextMenuEvent(QContextMenuEvent* event) {
  QTreeWidgetItem* item =
      event->reason() == QContextMenuEvent::Mouse ? itemAt(event->pos()) : currentItem();
  const bool file = item && item->data(0, kKindRole).toInt() == kFileItem;
  const std::string path = ctx_.session.CurrentPCFolder + ItemName(item);
  if (!file || ctx_.session.CurrentPCFolder.empty() || ClassifyByContent(path) != kSlotHpBinary) {
    ExploreItem(item);
    return;
  }
  if (!item->isSelected()) {
    clearSelection();
    item->setSelected(true);
  }
  setCurrentItem(item, 0, QItemSelectionModel::NoUpdate);
  QMenu menu(this);
  QAction* send = menu.addAction("&Send");
  send->setStatusTip("Send the selected files into the calculator directory shown.");
  QAction* xmodem = menu.addAction("Send by &XModem");
  OfferXModem(*xmodem, ctx_.session, "Send the selected files by XModem");
  menu.setToolTipsVisible(true);
  menu.addSeparator();
  QAction* backup = menu.addAction("Open as &Backup...");
  backup->setStatusTip("Show the variables the calculator file holds, to extract or send them.");
  QAction* explore = menu.addAction("Show in File &Manager");
  const QPoint at = event->reason() == QContextMenuEvent::Mouse
                        ? event->globalPos()
                        : viewport()->mapToGlobal(visualItemRect(item).bottomLeft());
  QAction* chosen = menu.exec(at);
  if (chosen == send || chosen == xmodem) emit sendRequested(chosen == xmodem);
  if (chosen == backup) emit openBackupRequested(ShownName(path));
  if (chosen == explore) ExploreItem(item);
}

bool CPCView::viewportEvent(QEvent* event) {
  if (event->type() != QEvent::ToolTip) return QTreeWidget::viewportEvent(event);
  const auto* help = static_cast<QHelpEvent*>(event);
  QTreeWidgetItem* item = itemAt(help->pos());
  QString tip;
  if (item && item->data(0, kKindRole).toInt() == kFileItem && !ctx_.session.CurrentPCFolder.empty())
    tip = PcFileTip(ctx_.session.CurrentPCFolder + ItemName(item), item->text(0));
  // A compare mark's tool tip comes first, above what the file holds.
  const QString mark = item ? item->toolTip(0) : QString();
  if (!mark.isEmpty())
    tip = tip.isEmpty() ? mark : mark.toHtmlEscaped() + "<hr>" + tip;
  if (tip.isEmpty())
    QToolTip::hideText();
  else
    QToolTip::showText(help->globalPos(), tip, viewport(), visualItemRect(item));
  return true;
}

}  // namespace dravik
