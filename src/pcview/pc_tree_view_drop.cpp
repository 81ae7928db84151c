// The PC folder tree as a drop target: calculator objects are received into
// the folder under the mouse (or the current folder), PC files are moved
// into the folder under the mouse. The tree starts no drags.
#include <QDragMoveEvent>
#include <QDropEvent>

#include "app/app_context.h"
#include "app/pane_drag.h"
#include "hpview/pane_drop.h"
#include "pcview/pc_item.h"
#include "pcview/pc_tree_view.h"
#include "pcview/pc_view.h"

namespace dravik {

void CPCTreeView::SetDropHighlight(QTreeWidgetItem* item) {
  if (item == dropHighlight_) return;
  if (dropHighlight_) dropHighlight_->setData(0, Qt::BackgroundRole, {});
  dropHighlight_ = item;
  if (item) {
    QColor color = palette().highlight().color();
    color.setAlpha(110);
    item->setBackground(0, color);
  }
}

void CPCTreeView::dragEnterEvent(QDragEnterEvent* event) {
  const TransferJob& job = ctx_.session.Job;
  if (!IsPaneDrag(event->mimeData()) || !(job.SendJobActive || job.ReceiveJobActive)) {
    event->ignore();
    return;
  }
  AcceptDragMove(event);
}

void CPCTreeView::dragMoveEvent(QDragMoveEvent* event) {
  QTreeWidget::dragMoveEvent(event);  // scrolls near the edges
  const TransferJob& job = ctx_.session.Job;
  QTreeWidgetItem* item = itemAt(event->position().toPoint());
  const int kind = item ? item->data(0, kKindRole).toInt() : -1;
  SetDropHighlight(kind == kDriveItem || kind == kFolderItem ? item : nullptr);
  // Calculator objects land anywhere; PC files only on a folder (a drive
  // is no target for them).
  const bool target = IsPaneDrag(event->mimeData()) &&
                      (job.ReceiveJobActive || (job.SendJobActive && kind == kFolderItem));
  if (target)
    AcceptDragMove(event);
  else
    event->ignore();
}

void CPCTreeView::dragLeaveEvent(QDragLeaveEvent* event) {
  SetDropHighlight(nullptr);
  QTreeWidget::dragLeaveEvent(event);
}

void CPCTreeView::dropEvent(QDropEvent* event) {
  stopAutoScroll();
  SetDropHighlight(nullptr);
  TransferJob& job = ctx_.session.Job;
  const QTreeWidgetItem* item = itemAt(event->position().toPoint());
  // A folder, not the "?" of a folder not filled yet.
  const bool overFolder = item && item->data(0, kKindRole).toInt() == kFolderItem &&
                          item->data(0, kNameRole).isValid();
  if (!IsPaneDrag(event->mimeData()) || !panes_.pcList ||
      !(job.ReceiveJobActive || (job.SendJobActive && overFolder))) {
    event->ignore();
    return;
  }
  TransferJob dropped = job;
  dropped.UseXModem = XModemRequested(event->modifiers());
  event->setDropAction(dropped.UseXModem ? Qt::MoveAction : Qt::CopyAction);
  event->accept();
  const std::string target = overFolder ? ItemPath(item) : std::string();
  CPCView* list = panes_.pcList;
  RunAfterDrop(list, ctx_, std::move(dropped), [list, target] { list->RunDrop(target); });
}

}  // namespace dravik
