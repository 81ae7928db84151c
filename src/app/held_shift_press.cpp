#include "app/held_shift_press.h"

#include <QApplication>
#include <QTreeWidget>

namespace dravik {

HeldShiftPress::HeldShiftPress(QTreeWidget* view, std::function<void()> startDrag)
    : QObject(view), view_(view), startDrag_(std::move(startDrag)) {
  view->viewport()->installEventFilter(this);
}

bool HeldShiftPress::eventFilter(QObject*, QEvent* event) {
  if (replaying_) return false;
  switch (event->type()) {
    case QEvent::MouseButtonPress:
      return Press(*static_cast<QMouseEvent*>(event));
    case QEvent::MouseMove:
      return Move(*static_cast<QMouseEvent*>(event));
    case QEvent::MouseButtonRelease:
      Release();
      return false;  // the view sees the release after the held press
    default:
      return false;
  }
}

bool HeldShiftPress::Press(const QMouseEvent& event) {
  press_.reset();
  if (event.button() != Qt::LeftButton || !(event.modifiers() & Qt::ShiftModifier)) return false;
  const QTreeWidgetItem* row = view_->itemAt(event.position().toPoint());
  if (!row || !row->isSelected() || !view_->dragEnabled()) return false;
  press_.reset(event.clone());
  return true;
}

bool HeldShiftPress::Move(const QMouseEvent& event) {
  if (!press_) return false;
  if (!(event.buttons() & Qt::LeftButton)) {
    press_.reset();
    return false;
  }
  const QPoint moved = event.position().toPoint() - press_->position().toPoint();
  if (moved.manhattanLength() >= QApplication::startDragDistance()) {
    press_.reset();
    startDrag_();
  }
  return true;
}

void HeldShiftPress::Release() {
  if (!press_) return;
  const std::unique_ptr<QMouseEvent> press = std::move(press_);
  replaying_ = true;
  QCoreApplication::sendEvent(view_->viewport(), press.get());
  replaying_ = false;
}

}  // namespace dravik
