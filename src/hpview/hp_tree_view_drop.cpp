// CHPTreeView as a drop target: PC and desktop files dropped on an item go
// into its directory or port (libraries dropped on HOME are installed in a
// port the user chooses); calculator objects dropped on another item move
// there.
#include <QDragMoveEvent>
#include <QDropEvent>

#include <algorithm>

#include "app/app_context.h"
#include "app/library_install_command.h"
#include "app/pane_drag.h"
#include "hpview/hp_tree_view.h"
#include "hpview/pane_drop.h"
#include "hpview/remote_view.h"
#include "listing/hp_path.h"

namespace dravik {

void CHPTreeView::SetDropHighlight(QTreeWidgetItem* item) {
  if (item == dropHighlight_) return;
  if (dropHighlight_) dropHighlight_->setBackground(0, QBrush());
  dropHighlight_ = item;
  if (item) item->setBackground(0, QBrush(palette().color(QPalette::Highlight).lighter(160)));
}

void CHPTreeView::dragEnterEvent(QDragEnterEvent* event) {
  TransferJob job;
  if (!JobOfDrop(event, ctx_, job)) {
    event->ignore();
    return;
  }
  AcceptDragMove(event);
}

void CHPTreeView::dragMoveEvent(QDragMoveEvent* event) {
  // The base class scrolls while the pointer is near an edge.
  QTreeWidget::dragMoveEvent(event);
  TransferJob job;
  QTreeWidgetItem* item = itemAt(event->position().toPoint());
  if (!JobOfDrop(event, ctx_, job) || !IsDirectoryItem(item) ||
      (job.ReceiveJobActive && ItemPath(item) == ctx_.session.CurrentHPPath)) {
    SetDropHighlight(nullptr);
    event->ignore();
    return;
  }
  SetDropHighlight(item);
  AcceptDragMove(event);
}

void CHPTreeView::dragLeaveEvent(QDragLeaveEvent* event) {
  SetDropHighlight(nullptr);
  QTreeWidget::dragLeaveEvent(event);
}

void CHPTreeView::dropEvent(QDropEvent* event) {
  SetDropHighlight(nullptr);
  stopAutoScroll();
  TransferJob job;
  QTreeWidgetItem* item = itemAt(event->position().toPoint());
  if (!JobOfDrop(event, ctx_, job) || !IsDirectoryItem(item) || !panes_.hpList) {
    ctx_.session.Job.Clear();
    event->ignore();
    return;
  }
  const std::string target = ItemPath(item);
  // Objects dropped on the item of the shown directory stay where they are.
  if (!job.SendJobActive && target == ctx_.session.CurrentHPPath) {
    ctx_.session.Job.Clear();
    event->ignore();
    return;
  }
  const bool desktop = !IsPaneDrag(event->mimeData());
  event->setDropAction(!desktop && job.UseXModem ? Qt::MoveAction : Qt::CopyAction);
  event->accept();
  CRemoteView* list = panes_.hpList;
  // Libraries dropped on the calculator's root are installed, in a port
  // the user chooses (on a port's item they go into that port).
  if (job.SendJobActive && !job.UseXModem && hp_path::IsHome(target) &&
      std::all_of(job.TransferList.begin(), job.TransferList.end(), IsLibraryFile)) {
    ctx_.session.Job.Clear();
    for (const std::string& file : job.TransferList)
      InstallLibraryCommand(ctx_, *list, window(), file, std::nullopt);
    return;
  }
  if (job.SendJobActive) {
    // The files go into the item's directory, and the list follows it there
    // once the transfer is over.
    RunAfterDrop(this, ctx_, std::move(job), [this, list, target] {
      ctx_.session.CurrentHPPath = target;
      list->ShowCurrent();
      list->DropIntoCurrent();
    });
  } else {
    RunAfterDrop(this, ctx_, std::move(job), [list, target] { list->MoveSelectionTo(target); });
  }
}

}  // namespace dravik
