// CRemoteView: the keyboard, and dragging objects out and files in.
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QKeyEvent>

#include "app/app_context.h"
#include "app/pane_drag.h"
#include "hpview/pane_drop.h"
#include "hpview/remote_view.h"

namespace dravik {

void CRemoteView::keyPressEvent(QKeyEvent* event) {
  const Qt::KeyboardModifiers keys = event->modifiers() & ~Qt::KeypadModifier;
  if (keys == Qt::NoModifier && (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)) {
    OpenRow(currentItem());
    return;
  }
  if (keys == Qt::NoModifier && event->key() == Qt::Key_Backspace) {
    GoUp();
    return;
  }
  QTreeWidget::keyPressEvent(event);
}

void CRemoteView::startDrag(Qt::DropActions) {
  TransferJob& job = ctx_.session.Job;
  job.Clear();
  job.ReceiveJobActive = true;
  if (CollectSelection() == 0) {
    job.Clear();
    return;
  }
  RunPaneDrag(this, ctx_);
}

void CRemoteView::SetDropHighlight(QTreeWidgetItem* row) {
  if (row == dropHighlight_) return;
  const int columns = columnCount();
  if (dropHighlight_)
    for (int c = 0; c < columns; ++c) dropHighlight_->setBackground(c, QBrush());
  dropHighlight_ = row;
  if (row) {
    const QBrush brush(palette().color(QPalette::Highlight).lighter(160));
    for (int c = 0; c < columns; ++c) row->setBackground(c, brush);
  }
}

void CRemoteView::dragEnterEvent(QDragEnterEvent* event) {
  TransferJob job;
  if (!JobOfDrop(event, ctx_, job)) {
    event->ignore();
    return;
  }
  AcceptDragMove(event);
}

void CRemoteView::dragMoveEvent(QDragMoveEvent* event) {
  // The base class scrolls while the pointer is near an edge.
  QTreeWidget::dragMoveEvent(event);
  TransferJob job;
  if (!JobOfDrop(event, ctx_, job)) {
    SetDropHighlight(nullptr);
    event->ignore();
    return;
  }
  QTreeWidgetItem* row = itemAt(event->position().toPoint());
  const bool target = !TargetOfRow(row).empty();
  // Objects move only onto a directory row or "..", and not into themselves.
  if (job.ReceiveJobActive && (!target || row->isSelected())) {
    SetDropHighlight(nullptr);
    event->ignore();
    return;
  }
  SetDropHighlight(target ? row : nullptr);
  AcceptDragMove(event);
}

void CRemoteView::dragLeaveEvent(QDragLeaveEvent* event) {
  SetDropHighlight(nullptr);
  QTreeWidget::dragLeaveEvent(event);
}

void CRemoteView::dropEvent(QDropEvent* event) {
  SetDropHighlight(nullptr);
  stopAutoScroll();
  TransferJob job;
  if (!JobOfDrop(event, ctx_, job)) {
    event->ignore();
    return;
  }
  QTreeWidgetItem* row = itemAt(event->position().toPoint());
  const std::string target = TargetOfRow(row);
  // Objects move only onto a directory row or "..", and not into themselves.
  if (!job.SendJobActive && (target.empty() || row->isSelected())) {
    ctx_.session.Job.Clear();
    event->ignore();
    return;
  }
  const bool desktop = !IsPaneDrag(event->mimeData());
  event->setDropAction(!desktop && job.UseXModem ? Qt::MoveAction : Qt::CopyAction);
  event->accept();
  if (desktop) {
    window()->raise();
    window()->activateWindow();
  }
  if (job.SendJobActive) {
    // Files go into the directory of the row they were dropped on, or into
    // the shown directory.
    RunAfterDrop(this, ctx_, std::move(job), [this, target] {
      if (!target.empty()) {
        ctx_.session.CurrentHPPath = target;
        ShowCurrent();
      }
      DropIntoCurrent();
    });
  } else {
    RunAfterDrop(this, ctx_, std::move(job), [this, target] { MoveSelectionTo(target); });
  }
}

}  // namespace dravik
