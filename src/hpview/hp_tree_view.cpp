#include "hpview/hp_tree_view.h"

#include <algorithm>

#include <QStringList>

#include "app/app_context.h"
#include "link/calculator_model.h"
#include "listing/hp_path.h"
#include "listing/listing_parser.h"
#include "hpview/remote_view.h"

namespace dravik {
namespace {

constexpr char kHomeText[] = "HOME";

// The names after "HOME\" of a calculator path, outermost first.
QStringList NamesBelowHome(const std::string& path) {
  QString rest = QString::fromStdString(path.substr(std::min(path.size(), hp_path::kHome.size())));
  QStringList names = rest.split('\\', Qt::SkipEmptyParts);
  return names;
}

// Children are kept in alphabetical order, letter case aside.
bool SortsBefore(const QString& a, const QString& b) {
  const int c = a.compare(b, Qt::CaseInsensitive);
  return c < 0 || (c == 0 && a < b);
}

bool HoldsDirectories(const ListingEntry* e) {
  return e && std::any_of(e->Types.begin(), e->Types.end(),
                          [](const std::string& t) { return IsDirectoryType(t); });
}

}  // namespace

CHPTreeView::CHPTreeView(AppContext& ctx, QWidget* parent) : QTreeWidget(parent), ctx_(ctx) {
  setHeaderHidden(true);
  setRootIsDecorated(true);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setUniformRowHeights(true);
  setAcceptDrops(true);
  setDragDropMode(QAbstractItemView::DropOnly);
  setDropIndicatorShown(false);
  setAutoScroll(true);
  homeIcon_ = TreeImagePair(kTreeHome, kTreeHomeSelected);
  currentIcon_ = TreeImagePair(kTreeDirCurrent, kTreeDirSelected);
  staleIcon_ = TreeImagePair(kTreeDirStale, kTreeDirSelected);
  connect(this, &QTreeWidget::itemExpanded, this, &CHPTreeView::OnItemExpanded);
  connect(this, &QTreeWidget::currentItemChanged, this, &CHPTreeView::OnCurrentItemChanged);
  ShowPlaceholder("Initializing...");
}

void CHPTreeView::OnInitialUpdate() {
  if (ctx_.PanesBusy) {
    viewport()->update();
    return;
  }
  ShowPlaceholder("Initializing...");
}

void CHPTreeView::ShowPlaceholder(const QString& text) {
  ++Syncing;
  dropHighlight_ = nullptr;
  clear();
  auto* item = new QTreeWidgetItem(this, {text});
  item->setData(0, kPlaceholderRole, true);
  SetImages(item, kTreeHome, kTreeHomeSelected);
  // It stands for no directory: selecting it must not send the calculator
  // anywhere.
  item->setFlags(Qt::ItemIsEnabled);
  --Syncing;
  viewport()->repaint();
}

QTreeWidgetItem* CHPTreeView::Root() const {
  QTreeWidgetItem* root = topLevelItemCount() > 0 ? topLevelItem(0) : nullptr;
  if (!root || root->data(0, kPlaceholderRole).toBool() || root->text(0) != kHomeText)
    return nullptr;
  return root;
}

void CHPTreeView::AddPortItems() {
  if (!Root()) return;
  ++Syncing;
  for (int i = topLevelItemCount() - 1; i > 0; --i) {
    QTreeWidgetItem* item = topLevelItem(i);
    if (dropHighlight_ == item) dropHighlight_ = nullptr;
    delete item;
  }
  for (const auto& [number, free] : ports_) {
    const std::string path = hp_path::PortPath(number);
    auto* item = new QTreeWidgetItem(this, {QString::fromStdString(path.substr(0, path.size() - 1))});
    item->setChildIndicatorPolicy(QTreeWidgetItem::DontShowIndicator);
    const PortSlot* slot = ctx_.session.Model ? ctx_.session.Model->FindPort(number) : nullptr;
    QString tip = QString("Port %1: %2 bytes free").arg(number).arg(QString::fromStdString(free));
    if (slot && !slot->note.empty()) tip += "; " + QString::fromUtf8(slot->note.data(), static_cast<int>(slot->note.size()));
    item->setToolTip(0, tip);
    item->setStatusTip(0, tip);
  }
  UpdateImages();
  if (hp_path::IsPort(ctx_.session.CurrentHPPath))
    if (QTreeWidgetItem* item = ItemOfPath(ctx_.session.CurrentHPPath)) setCurrentItem(item);
  --Syncing;
}

void CHPTreeView::ReadPorts() {
  if (!ctx_.CalculatorAnswered || ctx_.session.LinkClosedByUser) return;
  using Ports = std::vector<std::pair<int, std::string>>;
  ctx_.line.Run<Ports>(
      "Reading the ports",
      [](LineSide& line) {
        std::vector<CHP48Link::PortSummary> summaries;
        Ports ports;
        if (line.session.Model && !line.session.Model->Ports.empty() &&
            line.kermit.ReadPorts(summaries, false))
          for (const auto& port : summaries) ports.emplace_back(port.number, port.free);
        return ports;
      },
      [this](Ports ports) {
        ports_ = std::move(ports);
        AddPortItems();
      });
}

bool CHPTreeView::IsDirectoryItem(const QTreeWidgetItem* item) const {
  return item && !item->data(0, kPlaceholderRole).toBool();
}

std::string CHPTreeView::ItemPath(const QTreeWidgetItem* item) const {
  // A port's item reads ":0:", its path ":0:\".
  std::string path;
  for (; item; item = item->parent()) path = item->text(0).toStdString() + "\\" + path;
  return path;
}

void CHPTreeView::SetImages(QTreeWidgetItem* item, TreeImage normal, TreeImage) {
  item->setData(0, kImageRole, static_cast<int>(normal));
  if (normal == kTreeHome)
    item->setIcon(0, homeIcon_);
  else
    item->setIcon(0, normal == kTreeDirCurrent ? currentIcon_ : staleIcon_);
}

QTreeWidgetItem* CHPTreeView::FindChild(QTreeWidgetItem* parent, const QString& name) const {
  for (int i = 0; i < parent->childCount(); ++i)
    if (parent->child(i)->text(0) == name) return parent->child(i);
  return nullptr;
}

QTreeWidgetItem* CHPTreeView::InsertChild(QTreeWidgetItem* parent, const QString& name) {
  int at = 0;
  while (at < parent->childCount() && !SortsBefore(name, parent->child(at)->text(0))) ++at;
  auto* item = new QTreeWidgetItem({name});
  parent->insertChild(at, item);
  SetImages(item, kTreeDirStale, kTreeDirSelected);
  return item;
}

QTreeWidgetItem* CHPTreeView::ItemOfPath(const std::string& path) const {
  if (hp_path::IsPort(path)) {
    for (int i = 1; i < topLevelItemCount(); ++i)
      if (ItemPath(topLevelItem(i)) == path) return topLevelItem(i);
    return nullptr;
  }
  QTreeWidgetItem* item = Root();
  if (!item || !hp_path::IsWithin(path, hp_path::kHome)) return nullptr;
  for (const QString& name : NamesBelowHome(path)) {
    item = FindChild(item, name);
    if (!item) return nullptr;
  }
  return item;
}

void CHPTreeView::AddChildren(QTreeWidgetItem* item) {
  // A directory stored in a port is one object: it has no item.
  if (!IsDirectoryItem(item) || hp_path::IsPort(ItemPath(item))) return;
  const ListingEntry* e = ctx_.cache.Entry(ItemPath(item));
  if (!e) return;
  ++Syncing;
  for (size_t i = 0; i < e->Names.size(); ++i) {
    if (!IsDirectoryType(e->Types[i])) continue;
    const QString name = QString::fromStdString(e->Names[i]);
    if (!FindChild(item, name)) InsertChild(item, name);
  }
  UpdateImages();
  --Syncing;
}

void CHPTreeView::UpdateImages() {
  QTreeWidgetItem* root = Root();
  if (!root) return;
  for (int i = 1; i < topLevelItemCount(); ++i) {
    const std::string path = ItemPath(topLevelItem(i));
    const bool current = ctx_.cache.FindEntry(path) >= 0 && !ctx_.cache.IsStale(path);
    SetImages(topLevelItem(i), current ? kTreeDirCurrent : kTreeDirStale, kTreeDirSelected);
  }
  std::vector<QTreeWidgetItem*> pending{root};
  while (!pending.empty()) {
    QTreeWidgetItem* item = pending.back();
    pending.pop_back();
    for (int i = 0; i < item->childCount(); ++i) pending.push_back(item->child(i));
    const std::string path = ItemPath(item);
    const bool current = ctx_.cache.FindEntry(path) >= 0 && !ctx_.cache.IsStale(path);
    // A directory not read yet may hold subdirectories, one read (by "Read
    // all") may hold some not in the tree yet: either can be expanded.
    const bool leaf = current && !HoldsDirectories(ctx_.cache.Entry(path));
    item->setChildIndicatorPolicy(leaf ? QTreeWidgetItem::DontShowIndicatorWhenChildless
                                       : QTreeWidgetItem::ShowIndicator);
    if (item != root) SetImages(item, current ? kTreeDirCurrent : kTreeDirStale, kTreeDirSelected);
  }
}

void CHPTreeView::SyncToPath() {
  QTreeWidgetItem* item = Root();
  if (!item) return;
  const std::string& path = ctx_.session.CurrentHPPath;
  if (QTreeWidgetItem* port = hp_path::IsPort(path) ? ItemOfPath(path) : nullptr) {
    ++Syncing;
    setCurrentItem(port);
    UpdateImages();
    --Syncing;
    return;
  }
  if (!hp_path::IsWithin(path, hp_path::kHome)) return;
  ++Syncing;
  // The list shows this directory, so every level of it exists: a level the
  // tree does not hold yet is added on the way.
  for (const QString& name : NamesBelowHome(path)) {
    if (item->childCount() == 0) AddChildren(item);
    QTreeWidgetItem* child = FindChild(item, name);
    if (!child) child = InsertChild(item, name);
    item->setExpanded(true);
    item = child;
  }
  setCurrentItem(item);
  AddChildren(item);
  // The shown directory's subdirectories are in sight.
  item->setExpanded(true);
  UpdateImages();
  --Syncing;
}

void CHPTreeView::RebuildTree() {
  ++Syncing;
  dropHighlight_ = nullptr;
  clear();
  auto* root = new QTreeWidgetItem(this, {kHomeText});
  SetImages(root, kTreeHome, kTreeHomeSelected);
  QTreeWidgetItem* last = root;
  const std::string& shown = ctx_.session.CurrentHPPath;
  for (const QString& name : hp_path::IsPort(shown) ? QStringList() : NamesBelowHome(shown)) {
    QTreeWidgetItem* child = InsertChild(last, name);
    last->setExpanded(true);
    last = child;
  }
  AddChildren(last);
  last->setExpanded(true);
  UpdateImages();
  setCurrentItem(last);
  --Syncing;
  AddPortItems();
  viewport()->repaint();
}

void CHPTreeView::RemoveChild(const std::string& path, const std::string& name) {
  QTreeWidgetItem* parent = ItemOfPath(path);
  if (!parent) return;
  if (QTreeWidgetItem* child = FindChild(parent, QString::fromStdString(name))) {
    ++Syncing;
    if (dropHighlight_ == child) dropHighlight_ = nullptr;
    delete child;
    --Syncing;
  }
}

void CHPTreeView::AddDirectory(const std::string& path) {
  if (!hp_path::IsWithin(path, hp_path::kHome)) return;
  if (!Root()) RebuildTree();
  ++Syncing;
  QTreeWidgetItem* item = Root();
  for (const QString& name : NamesBelowHome(path)) {
    QTreeWidgetItem* child = FindChild(item, name);
    item = child ? child : InsertChild(item, name);
  }
  AddChildren(item);
  UpdateImages();
  --Syncing;
}

void CHPTreeView::MatchListings() {
  QTreeWidgetItem* root = Root();
  if (!root) return;
  ++Syncing;
  std::vector<QTreeWidgetItem*> pending{root};
  while (!pending.empty()) {
    QTreeWidgetItem* item = pending.back();
    pending.pop_back();
    const std::string path = ItemPath(item);
    const ListingEntry* e = ctx_.cache.Entry(path);
    const bool current = e && !ctx_.cache.IsStale(path);
    for (int i = item->childCount() - 1; i >= 0; --i) {
      QTreeWidgetItem* child = item->child(i);
      const std::string name = child->text(0).toStdString();
      bool listed = !current;  // what is not read stays as it is
      for (size_t k = 0; current && k < e->Names.size() && !listed; ++k)
        listed = e->Names[k] == name && IsDirectoryType(e->Types[k]);
      if (listed) {
        pending.push_back(child);
        continue;
      }
      for (QTreeWidgetItem* h = dropHighlight_; h; h = h->parent())
        if (h == child) dropHighlight_ = nullptr;
      delete child;
    }
  }
  UpdateImages();
  --Syncing;
}

void CHPTreeView::OnItemExpanded(QTreeWidgetItem* item) {
  if (Syncing || !IsDirectoryItem(item) || !panes_.hpList) return;
  ctx_.session.CurrentHPPath = ItemPath(item);
  panes_.hpList->RefreshList();
  AddChildren(item);
}

void CHPTreeView::OnCurrentItemChanged(QTreeWidgetItem* current, QTreeWidgetItem* previous) {
  if (Syncing || current == previous || !IsDirectoryItem(current) || !panes_.hpList) return;
  const std::string path = ItemPath(current);
  if (path == ctx_.session.CurrentHPPath) return;
  ctx_.session.CurrentHPPath = path;
  panes_.hpList->RefreshList();
  AddChildren(current);
}

}  // namespace dravik
