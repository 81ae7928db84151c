#include "hpview/remote_view.h"

#include <QHeaderView>
#include <algorithm>
#include <set>

#include "app/held_shift_press.h"
#include "app/app_context.h"
#include "app/library_install_command.h"
#include "link/port_texts.h"
#include "listing/hp_path.h"
#include "hpview/hp_tree_view.h"
#include "listing/listing_parser.h"
#include "link/hp48_listing_link.h"
#include "link/operation_log.h"

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
  new HeldShiftPress(this, [this] { startDrag(supportedDropActions()); });
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
}

CRemoteView::~CRemoteView() = default;

void CRemoteView::OnInitialUpdate() {
  if (ctx_.PanesBusy) viewport()->update();
}

void CRemoteView::SetStatus(const std::string& text) {
  if (ctx_.session.MainWindow) ctx_.session.MainWindow->SetStatusText(text);
}

bool CRemoteView::IsUpRow(const QTreeWidgetItem* row) const {
  return row && row->text(0) == kUpRowName && !hp_path::IsRoot(ctx_.session.CurrentHPPath) &&
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
  // Behind what the line does now, the read waits its turn.
  const QString busy = ctx_.line.BusyText();
  if (!busy.isEmpty()) row->setToolTip(0, FromEngine(text) + " once the line is free (" + busy + ")");
  addTopLevelItem(row);
  row->setFirstColumnSpanned(true);  // a long path is not cut at the Name column
  // While the line does something else the status bar keeps saying what.
  if (busy.isEmpty()) SetStatus(text);
  emit rowsReplaced(true);
}

void CRemoteView::ShowNotice(const QString& text) {
  dropHighlight_ = nullptr;
  clear();
  QTreeWidgetItem* row = MakeRow(text, {}, {}, 0, kIconDirStale);
  row->setFlags(Qt::ItemIsEnabled);
  row->setToolTip(0, text);
  addTopLevelItem(row);
  row->setFirstColumnSpanned(true);
  emit rowsReplaced(true);
}

void CRemoteView::ReadListing(const std::string& path, std::function<void()> then) {
  for (PendingRead& read : reads_) {
    if (read.path != path) continue;
    if (then) read.then.push_back(std::move(then));
    return;
  }
  // A read of a directory the user has left, that nobody waits for and that
  // has not started, is no longer wanted.
  for (auto it = reads_.begin(); it != reads_.end();) {
    if (it->then.empty() && ctx_.line.Withdraw(it->id))
      it = reads_.erase(it);
    else
      ++it;
  }
  struct Read {
    bool stored = false;
    ListingEntry entry;
  };
  LineRequest request = ctx_.line.RequestHere();
  request.CurrentHPPath = path;
  request.Job = {};
  PendingRead read;
  read.path = path;
  if (then) read.then.push_back(std::move(then));
  read.id = ctx_.line.Run<Read>(
      "Reading " + path, std::move(request),
      [](LineSide& line) {
        ListingCache scratch(line.session);
        HP48ListingLink link(line.kermit);
        scratch.ReadListing(link);
        Read r;
        if (const ListingEntry* e = scratch.Entry(line.session.CurrentHPPath)) {
          r.stored = true;
          r.entry = *e;
        }
        return r;
      },
      [this, path](Read r) { ListingRead(path, r.stored, std::move(r.entry)); });
  if (read.id != 0) reads_.push_back(std::move(read));
}

void CRemoteView::ListingRead(const std::string& path, bool stored, ListingEntry entry) {
  std::vector<std::function<void()>> then;
  for (auto it = reads_.begin(); it != reads_.end(); ++it) {
    if (it->path != path) continue;
    then = std::move(it->then);
    reads_.erase(it);
    break;
  }
  if (stored) ctx_.cache.Store(std::move(entry));
  Session& s = ctx_.session;
  if (s.LinkClosedByUser) DropWaitingReads();
  if (s.CurrentHPPath == path) {
    // The calculator could not go there (the directory went away): show
    // where it is instead of an empty list for a directory that does not
    // exist.
    if (!stored && !s.HPWorkingPath.empty() && s.HPWorkingPath != path &&
        hp_path::IsWithin(s.HPWorkingPath, hp_path::kHome)) {
      s.CurrentHPPath = s.HPWorkingPath;
      RefreshList();
    } else {
      Fill(true);
      SetStatus("Ready");
    }
  } else if (ctx_.cache.FindEntry() < 0 || ctx_.cache.IsStale()) {
    // The user went elsewhere meanwhile, to a directory not read yet.
    RefreshList();
  }
  for (auto& f : then) f();
}

void CRemoteView::TakeListing(const ListingEntry& entry) {
  const std::string& path = entry.Path;
  const ListingEntry* kept = ctx_.cache.Entry(path);
  const bool known = kept && !kept->Stale;
  const bool changed = !kept || kept->Names != entry.Names || kept->Sizes != entry.Sizes ||
                       kept->Types != entry.Types;
  // What was read before is better than a read that failed part way.
  if (!(entry.Stale && known)) ctx_.cache.Store(entry);
  bool answered = false;
  for (const PendingRead& read : reads_) {
    if (read.path != path || !ctx_.line.Withdraw(read.id)) continue;
    answered = true;
    break;
  }
  if (answered)
    ListingRead(path, true, *ctx_.cache.Entry(path));  // shows it and runs what waited
  else if (ctx_.session.CurrentHPPath == path && (!known || (!entry.Stale && changed)))
    Fill(true);
  ShowDirectoryRead(path);
  if (panes_.hpTree) panes_.hpTree->AddDirectory(path);
}

void CRemoteView::DropWaitingReads() {
  for (auto it = reads_.begin(); it != reads_.end();) {
    if (!ctx_.line.Withdraw(it->id)) {
      ++it;
      continue;
    }
    const std::string path = it->path;
    it = reads_.erase(it);
    if (ctx_.session.CurrentHPPath == path)
      ShowNotice(FromEngine("Not read: " + path +
                            " (the calculator did not answer; F5 connects again)"));
  }
}

void CRemoteView::ShowDirectoryRead(const std::string& path) {
  if (hp_path::IsRoot(path) || hp_path::Parent(path) != ctx_.session.CurrentHPPath) return;
  const std::string& here = ctx_.session.CurrentHPPath;
  for (int i = 0; i < topLevelItemCount(); ++i) {
    QTreeWidgetItem* row = topLevelItem(i);
    if (!IsDirectoryRow(row) || hp_path::Child(here, row->text(0).toStdString()) != path) continue;
    const bool read = ctx_.cache.FindEntry(path) >= 0 && !ctx_.cache.IsStale(path);
    const RowIcon icon = read ? kIconDirCurrent : kIconDirStale;
    row->setIcon(0, icons_[icon]);
    row->setData(0, kIconRole, static_cast<int>(icon));
  }
}

void CRemoteView::Fill(bool listingRead) {
  dropHighlight_ = nullptr;
  clear();
  const std::string& path = ctx_.session.CurrentHPPath;
  QList<QTreeWidgetItem*> rows;
  // A port has no parent, and what it holds is never entered.
  const bool port = hp_path::IsPort(path);
  if (!hp_path::IsRoot(path)) {
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
      const bool dir = IsDirectoryType(e->Types[i]) && !port;
      RowIcon icon = IconForType(e->Types[i]);
      if (dir) {
        const std::string sub = hp_path::Child(path, e->Names[i]);
        icon = ctx_.cache.FindEntry(sub) >= 0 && !ctx_.cache.IsStale(sub) ? kIconDirCurrent
                                                                         : kIconDirStale;
      }
      // A library in a port shows its title after its type.
      const bool titled = i < e->Titles.size() && !e->Titles[i].empty();
      const std::string type = titled ? e->Types[i] + ": " + e->Titles[i] : e->Types[i];
      rows << MakeRow(FromEngine(e->Names[i]), FromEngine(e->Sizes[i]), FromEngine(type),
                      dir ? 1 : 0, icon);
    }
  }
  // A read that failed would pass for an empty (or shorter) directory: the
  // last row says so. After the listing's rows, so that the indexes stay.
  QTreeWidgetItem* unread = nullptr;
  if (ctx_.cache.IsStale()) {
    const QString text = FromEngine("Could not read " + path + " (F5 reads it again)");
    unread = MakeRow(text, {}, {}, 0, kIconDirStale);
    unread->setFlags(Qt::ItemIsEnabled);
    unread->setToolTip(0, text);
    rows << unread;
  }
  addTopLevelItems(rows);
  if (unread) unread->setFirstColumnSpanned(true);
  if (panes_.hpTree) panes_.hpTree->SyncToPath();
  emit rowsReplaced(listingRead);
}

void CRemoteView::ShowCurrent() {
  const std::string& path = ctx_.session.CurrentHPPath;
  if (ctx_.cache.FindEntry(path) >= 0)
    Fill();
  else
    ShowReading(path);
}

void CRemoteView::RefreshList(std::function<void()> then) {
  const std::string path = ctx_.session.CurrentHPPath;
  if (ctx_.cache.FindEntry(path) >= 0 && !ctx_.cache.IsStale(path)) {
    Fill();
    SetStatus("Ready");
    if (then) then();
    return;
  }
  ShowReading(path);
  if (panes_.hpTree) panes_.hpTree->SyncToPath();
  ReadListing(path, std::move(then));
}

void CRemoteView::OpenRow(QTreeWidgetItem* row) {
  const std::string target = TargetOfRow(row);
  if (target.empty()) return;  // objects are not received by opening them
  ctx_.session.CurrentHPPath = target;
  RefreshList();
}

void CRemoteView::GoUp() {
  if (hp_path::IsRoot(ctx_.session.CurrentHPPath)) return;
  ctx_.session.CurrentHPPath = hp_path::Parent(ctx_.session.CurrentHPPath);
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

uint64_t CRemoteView::DropIntoCurrent(std::function<void(const JobResult&)> then, JobSteps steps) {
  TransferJob& job = ctx_.session.Job;
  if (job.ReceiveJobActive || !job.SendJobActive || job.TransferList.empty()) {
    job.Clear();
    return 0;
  }
  const std::string path = ctx_.session.CurrentHPPath;
  // Libraries dropped on a port are installed there: stored and attached.
  if (const std::optional<int> port = hp_path::PortOf(path); port && !job.UseXModem &&
      std::all_of(job.TransferList.begin(), job.TransferList.end(), IsLibraryFile)) {
    for (const std::string& file : job.TransferList)
      InstallLibraryCommand(ctx_, *this, window(), file, port);
    job.Clear();
    return 0;
  }
  const uint64_t id = StartTransfer(
      ctx_, window(),
      [this, path, then](JobResult result) {
        // Also after a skip, a cancel or a failure some files may have
        // arrived; the directory's size in its parent's listing changed too.
        MarkChanged(path);
        if (ctx_.session.CurrentHPPath == path)
          RefreshList();
        else if (panes_.hpTree)
          panes_.hpTree->SyncToPath();
        if (then) then(result);
      },
      std::move(steps));
  job.Clear();
  return id;
}

void CRemoteView::ForgetNames(const std::string& path, const std::vector<std::string>& names) {
  for (const std::string& name : names) ctx_.cache.RemoveName(path, name);
}

void CRemoteView::ForgetDirectory(const std::string& path, const std::string& name) {
  const std::string gone = hp_path::Child(path, name);
  for (int i = 0; const ListingEntry* e = ctx_.cache.EntryAt(i); ++i)
    if (hp_path::IsWithin(e->Path, gone)) ctx_.cache.MarkStale(e->Path);
  if (panes_.hpTree) panes_.hpTree->RemoveChild(path, name);
}

void CRemoteView::MarkChanged(const std::string& path) {
  ctx_.cache.MarkStale(path);
  if (!hp_path::IsHome(path)) ctx_.cache.MarkStale(hp_path::Parent(path));
}

void CRemoteView::ShowAfterChange(const std::string& path) {
  if (ctx_.session.CurrentHPPath == path)
    RefreshList();  // out of the cache when nothing failed: no traffic
}

void CRemoteView::MoveSelectionTo(const std::string& target) {
  TransferJob& job = ctx_.session.Job;
  const std::vector<std::string> names = job.TransferList;
  const std::string source = ctx_.session.CurrentHPPath;
  if (names.empty() || target == source) {
    job.Clear();
    return;
  }
  std::set<std::string> directories;
  if (const ListingEntry* e = ctx_.cache.Entry(source))
    for (size_t i = 0; i < e->Names.size(); ++i)
      if (IsDirectoryType(e->Types[i])) directories.insert(e->Names[i]);

  const std::string what = "Moving " + NamesForLog(names) + " to " + target;
  ctx_.line.Run<int>(
      what, [target](LineSide& line) { return line.kermit.MoveObjects(target); },
      [this, names, directories, source, target](int moved) {
        // Both directories' sizes in their parents' listings changed.
        MarkChanged(target);
        if (!hp_path::IsHome(source)) ctx_.cache.MarkStale(hp_path::Parent(source));
        auto forget = [this, names, directories, source](bool all) {
          const ListingEntry* here = ctx_.cache.Entry(source);
          std::vector<std::string> gone;
          for (const std::string& name : names) {
            const bool still_here =
                here && std::find(here->Names.begin(), here->Names.end(), name) != here->Names.end();
            if (all || !still_here) gone.push_back(name);
          }
          if (all) ForgetNames(source, gone);
          for (const std::string& name : gone)
            if (directories.count(name)) ForgetDirectory(source, name);
        };
        if (moved) {
          forget(true);
          ShowAfterChange(source);
          return;
        }
        // Refused, or stopped part way: the calculator tells what is still
        // here.
        ctx_.cache.MarkStale(source);
        if (ctx_.session.CurrentHPPath == source)
          RefreshList([forget] { forget(false); });
        else
          ReadListing(source, [forget] { forget(false); });
      });
  job.Clear();
}

void CRemoteView::DeleteSelection() {
  const std::vector<QTreeWidgetItem*> rows = SelectedObjectRows();
  if (rows.empty()) return;
  const std::string path = ctx_.session.CurrentHPPath;
  std::vector<std::string> objects, directories, all;
  for (QTreeWidgetItem* row : rows) {
    const std::string name = row->text(0).toStdString();
    (IsDirectoryRow(row) ? directories : objects).push_back(name);
    all.push_back(name);
  }
  // The calculator has no trash: nothing goes before the user has said
  // yes to everything that will.
  std::string question = all.size() == 1
                             ? "Delete " + all.front() + " from " + path + "?"
                             : "Delete " + std::to_string(all.size()) + " objects from " + path +
                                   "?\n\n" + NamesForLog(all);
  if (!directories.empty())
    question += directories.size() == 1 && all.size() == 1
                    ? "\n\nIt is a directory: everything in it goes too."
                    : "\n\nDirectories go with everything in them: " + NamesForLog(directories);
  // An attached library in a port is detached first where the model needs it.
  if (hp_path::IsPort(path) && ctx_.session.Model)
    for (const std::string& name : all) {
      const std::string note = PortDeleteNote(*ctx_.session.Model, name);
      if (!note.empty()) question += "\n\n" + note;
    }
  if (!ctx_.session.MainWindow ||
      ctx_.session.MainWindow->ShowMessage(question, "Dravik", MessageIcon::Question,
                                           MessageButtons::YesNoDefaultNo) != MessageAnswer::Yes)
    return;

  struct Purged {
    bool objects = false;
    std::vector<std::string> directories;
    bool all = true;
  };
  ctx_.line.Run<Purged>(
      "Deleting " + NamesForLog(all),
      [objects, directories](LineSide& line) {
        Purged done;
        // The purges make sure the calculator is in CurrentHPPath first:
        // after "Read all" or browsing cached directories it may be anywhere.
        // As many purge commands as the names need: a long selection does
        // not fit one packet.
        if (!objects.empty()) {
          done.objects = line.kermit.PurgeNames(objects) != 0;
          done.all = done.objects;
        }
        for (const std::string& name : directories) {
          if (line.StopAsked()) {
            done.all = false;
            break;
          }
          if (line.kermit.PurgeDirectory("'" + name + "'"))
            done.directories.push_back(name);
          else
            done.all = false;
        }
        return done;
      },
      [this, path, objects](Purged done) {
        if (done.objects) ForgetNames(path, objects);
        for (const std::string& name : done.directories) {
          ForgetNames(path, {name});
          ForgetDirectory(path, name);
        }
        // A purge that failed shows the truth after a fresh read.
        if (!done.all) ctx_.cache.MarkStale(path);
        if (!hp_path::IsHome(path)) ctx_.cache.MarkStale(hp_path::Parent(path));
        ShowAfterChange(path);
      });
}

}  // namespace dravik
