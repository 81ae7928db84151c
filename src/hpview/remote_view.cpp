#include "hpview/remote_view.h"

#include <QHeaderView>
#include <algorithm>
#include <set>

#include "app/app_context.h"
#include "listing/hp_path.h"
#include "hpview/hp_tree_view.h"
#include "listing/listing_parser.h"
#include "link/hp48_listing_link.h"
#include "link/wait_cursor.h"

namespace dravik {
namespace {

constexpr char kUpRowName[] = "..";

QString FromEngine(const std::string& text) { return QString::fromStdString(text); }

}  // namespace

uint32_t CRemoteView::WholeSize(const std::string& text) {
  uint64_t value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') break;
    value = std::min<uint64_t>(value * 10 + static_cast<uint64_t>(c - '0'), UINT32_MAX);
  }
  return static_cast<uint32_t>(value);
}

CRemoteView::CRemoteView(AppContext& ctx, QWidget* parent) : QTreeWidget(parent), ctx_(ctx) {
  setRootIsDecorated(false);
  setItemsExpandable(false);
  setUniformRowHeights(true);
  setAllColumnsShowFocus(true);
  setSelectionMode(QAbstractItemView::ExtendedSelection);
  setSortingEnabled(false);
  setHeaderLabels({"Name", "Size", "Type"});
  header()->setSectionsClickable(false);
  header()->setSectionsMovable(false);
  header()->resizeSection(0, 150);
  header()->resizeSection(1, 80);
  header()->resizeSection(2, 130);
  headerItem()->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
  for (int i = 0; i < kRowIconCount; ++i) icons_[i] = RowIconPicture(static_cast<RowIcon>(i));
  // Objects are dragged out to be received or moved; PC and desktop files
  // are dropped in to be sent. Auto-scroll near the edges while dragging.
  setDragEnabled(true);
  setAcceptDrops(true);
  setDragDropMode(QAbstractItemView::DragDrop);
  setDropIndicatorShown(false);
  setAutoScroll(true);
  connect(this, &QTreeWidget::itemDoubleClicked, this,
          [this](QTreeWidgetItem* row, int) { OpenRow(row); });
  ctx_.cache.ShowReading = [this](const std::string& path) { ShowReading(path); };
}

CRemoteView::~CRemoteView() { ctx_.cache.ShowReading = nullptr; }

void CRemoteView::OnInitialUpdate() {
  if (ctx_.PanesBusy) viewport()->update();
}

void CRemoteView::SetStatus(const std::string& text) {
  if (ctx_.session.MainWindow) ctx_.session.MainWindow->SetStatusText(text);
}

bool CRemoteView::IsUpRow(const QTreeWidgetItem* row) const {
  return row && row->text(0) == kUpRowName && !hp_path::IsHome(ctx_.session.CurrentHPPath) &&
         indexOfTopLevelItem(const_cast<QTreeWidgetItem*>(row)) == 0;
}

bool CRemoteView::IsDirectoryRow(const QTreeWidgetItem* row) const {
  return row && row->data(0, kItemValueRole).toInt() == 1;
}

std::string CRemoteView::TargetOfRow(const QTreeWidgetItem* row) const {
  const std::string& path = ctx_.session.CurrentHPPath;
  if (IsUpRow(row)) return hp_path::Parent(path);
  if (IsDirectoryRow(row)) return hp_path::Child(path, row->text(0).toStdString());
  return {};
}

QTreeWidgetItem* CRemoteView::MakeRow(const QString& name, const QString& size,
                                      const QString& type, int item_value, RowIcon icon) const {
  auto* row = new QTreeWidgetItem({name, size, type});
  row->setIcon(0, icons_[icon]);
  row->setData(0, kItemValueRole, item_value);
  row->setData(0, kIconRole, static_cast<int>(icon));
  row->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
  return row;
}

void CRemoteView::ShowReading(const std::string& path) {
  dropHighlight_ = nullptr;
  clear();
  const std::string text = "Reading " + path;
  QTreeWidgetItem* row = MakeRow(FromEngine(text), {}, {}, 0, kIconDirCurrent);
  // A placeholder: nothing to select, drag or open.
  row->setFlags(Qt::ItemIsEnabled);
  addTopLevelItem(row);
  SetStatus(text);
  viewport()->repaint();
}

void CRemoteView::ReadCurrentListing() {
  Session& s = ctx_.session;
  HP48ListingLink link(ctx_.kermit);
  ctx_.cache.ReadListing(link);
  // The calculator could not go there (the directory went away): show where
  // it is instead of an empty list for a directory that does not exist.
  if (ctx_.cache.FindEntry() < 0 && !s.HPWorkingPath.empty() && s.HPWorkingPath != s.CurrentHPPath &&
      hp_path::IsWithin(s.HPWorkingPath, hp_path::kHome)) {
    s.CurrentHPPath = s.HPWorkingPath;
    if (ctx_.cache.FindEntry() < 0 || ctx_.cache.IsStale()) ctx_.cache.ReadListing(link);
  }
}

void CRemoteView::Fill() {
  if (ctx_.cache.FindEntry() < 0 || ctx_.cache.IsStale()) ReadCurrentListing();
  dropHighlight_ = nullptr;
  clear();
  const std::string& path = ctx_.session.CurrentHPPath;
  QList<QTreeWidgetItem*> rows;
  if (!hp_path::IsHome(path)) {
    QTreeWidgetItem* up = MakeRow(kUpRowName, {}, {}, 0, kIconDirCurrent);
    // ".." is a way up, never part of a selection that is sent, deleted or moved.
    up->setFlags(Qt::ItemIsEnabled);
    rows << up;
  }
  // Rows follow the listing's order (directories first), so that row and
  // cache index stay in step.
  if (const ListingEntry* e = ctx_.cache.Entry()) {
    rows.reserve(rows.size() + static_cast<qsizetype>(e->Names.size()));
    for (size_t i = 0; i < e->Names.size(); ++i) {
      const bool dir = IsDirectoryType(e->Types[i]);
      RowIcon icon = IconForType(e->Types[i]);
      if (dir) {
        const std::string sub = hp_path::Child(path, e->Names[i]);
        icon = ctx_.cache.FindEntry(sub) >= 0 && !ctx_.cache.IsStale(sub) ? kIconDirCurrent
                                                                         : kIconDirStale;
      }
      rows << MakeRow(FromEngine(e->Names[i]), FromEngine(e->Sizes[i]), FromEngine(e->Types[i]),
                      dir ? 1 : 0, icon);
    }
  }
  // A read that failed would pass for an empty (or shorter) directory: the
  // last row says so. After the listing's rows, so that the indexes stay.
  if (ctx_.cache.IsStale()) {
    const QString text = FromEngine("Could not read " + path + " (F5 reads it again)");
    QTreeWidgetItem* unread = MakeRow(text, {}, {}, 0, kIconDirStale);
    unread->setFlags(Qt::ItemIsEnabled);
    unread->setToolTip(0, text);
    rows << unread;
  }
  addTopLevelItems(rows);
}

void CRemoteView::RefreshList() {
  WaitCursor wait(ctx_.session.MainWindow);
  Fill();
  if (panes_.hpTree) panes_.hpTree->SyncToPath();
  SetStatus("Ready");
}

void CRemoteView::OpenRow(QTreeWidgetItem* row) {
  const std::string target = TargetOfRow(row);
  if (target.empty()) return;  // objects are not received by opening them
  WaitCursor wait(ctx_.session.MainWindow);
  ctx_.session.CurrentHPPath = target;
  RefreshList();
}

void CRemoteView::GoUp() {
  if (hp_path::IsHome(ctx_.session.CurrentHPPath)) return;
  WaitCursor wait(ctx_.session.MainWindow);
  ctx_.kermit.UpDirectory();
  RefreshList();
}

std::vector<QTreeWidgetItem*> CRemoteView::SelectedObjectRows() const {
  std::vector<QTreeWidgetItem*> rows;
  for (int i = 0; i < topLevelItemCount(); ++i) {
    QTreeWidgetItem* row = topLevelItem(i);
    if (row->isSelected() && !IsUpRow(row) && (row->flags() & Qt::ItemIsSelectable))
      rows.push_back(row);
  }
  return rows;
}

int CRemoteView::CollectSelection() {
  TransferJob& job = ctx_.session.Job;
  job.TransferList.clear();
  job.TransferSizes.clear();
  for (QTreeWidgetItem* row : SelectedObjectRows()) {
    job.TransferList.push_back(row->text(0).toStdString());
    job.TransferSizes.push_back(WholeSize(row->text(1).toStdString()));
  }
  return static_cast<int>(job.TransferList.size());
}

JobOutcome CRemoteView::DropIntoCurrent() {
  TransferJob& job = ctx_.session.Job;
  if (job.ReceiveJobActive || !job.SendJobActive || job.TransferList.empty()) {
    job.Clear();
    return JobOutcome::Failed;
  }
  Session& s = ctx_.session;
  if (s.CurrentHPPath != s.HPWorkingPath) ctx_.kermit.ChangeDirectory();
  const JobOutcome outcome = RunTransfer(ctx_, window());
  job.Clear();
  // Also after a skip, a cancel or a failure some files may have arrived.
  ctx_.cache.MarkStale();
  RefreshList();
  return outcome;
}

void CRemoteView::ForgetNames(const std::vector<std::string>& names) {
  const ListingEntry* e = ctx_.cache.Entry();
  if (!e) return;
  const int first_row = hp_path::IsHome(ctx_.session.CurrentHPPath) ? 0 : 1;
  for (const std::string& name : names) {
    auto it = std::find(e->Names.begin(), e->Names.end(), name);
    if (it != e->Names.end()) ctx_.cache.RemoveRow(static_cast<int>(it - e->Names.begin()) + first_row);
  }
}

void CRemoteView::ForgetDirectory(const std::string& name) {
  const std::string gone = hp_path::Child(ctx_.session.CurrentHPPath, name);
  for (int i = 0; const ListingEntry* e = ctx_.cache.EntryAt(i); ++i)
    if (hp_path::IsWithin(e->Path, gone)) ctx_.cache.MarkStale(e->Path);
  if (panes_.hpTree) panes_.hpTree->RemoveChild(name);
}

void CRemoteView::MoveSelectionTo(const std::string& target) {
  WaitCursor wait(ctx_.session.MainWindow);
  TransferJob& job = ctx_.session.Job;
  const std::vector<std::string> names = job.TransferList;
  if (names.empty() || target == ctx_.session.CurrentHPPath) {
    job.Clear();
    return;
  }
  std::set<std::string> directories;
  if (const ListingEntry* e = ctx_.cache.Entry())
    for (size_t i = 0; i < e->Names.size(); ++i)
      if (IsDirectoryType(e->Types[i])) directories.insert(e->Names[i]);

  const int moved = ctx_.kermit.MoveObjects(target);
  job.Clear();
  ctx_.cache.MarkStale(target);
  if (!moved) {
    // Refused, or stopped part way: the calculator tells what is still here.
    ctx_.cache.MarkStale();
    RefreshList();
  }
  const ListingEntry* here = ctx_.cache.Entry();
  std::vector<std::string> gone;
  for (const std::string& name : names) {
    const bool still_here =
        here && std::find(here->Names.begin(), here->Names.end(), name) != here->Names.end();
    if (moved || !still_here) gone.push_back(name);
  }
  if (moved) ForgetNames(gone);
  for (const std::string& name : gone)
    if (directories.count(name)) ForgetDirectory(name);
  if (moved) RefreshList();  // out of the cache: no traffic
}

void CRemoteView::DeleteSelection() {
  const std::vector<QTreeWidgetItem*> rows = SelectedObjectRows();
  if (rows.empty()) return;
  WaitCursor wait(ctx_.session.MainWindow);
  std::vector<std::string> objects, directories;
  for (QTreeWidgetItem* row : rows)
    (IsDirectoryRow(row) ? directories : objects).push_back(row->text(0).toStdString());

  bool all_done = true;
  // The purges make sure the calculator is in CurrentHPPath first: after
  // "Read all" or browsing cached directories it may be anywhere.
  if (!objects.empty()) {
    // As many purge commands as the names need: a long selection does not
    // fit one packet.
    if (ctx_.kermit.PurgeNames(objects))
      ForgetNames(objects);
    else
      all_done = false;
  }
  if (!directories.empty() && ctx_.session.MainWindow &&
      ctx_.session.MainWindow->ShowMessage("Delete directories?", "Dravik", MessageIcon::Question,
                                           MessageButtons::YesNo) == MessageAnswer::Yes) {
    for (const std::string& name : directories) {
      if (!ctx_.kermit.PurgeDirectory("'" + name + "'")) {
        all_done = false;
        continue;
      }
      ForgetNames({name});
      ForgetDirectory(name);
    }
  }
  // A purge that failed shows the truth after a fresh read.
  if (!all_done) ctx_.cache.MarkStale();
  RefreshList();
}

}  // namespace dravik
