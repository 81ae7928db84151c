#include "app/held_shift_press.h"

#include <QApplication>
#include <QMouseEvent>
#include <QTreeWidget>

namespace dravik {

bool HeldShiftPress::Press(const QTreeWidget& view, const QMouseEvent& event) {
  press_.reset();
  if (event.button() != Qt::LeftButton || !(event.modifiers() & Qt::ShiftModifier)) return false;
  const QTreeWidgetItem* row = view.itemAt(event.position().toPoint());
  if (!row || !row->isSelected() || !view.dragEnabled()) return false;
  press_.reset(event.clone());
  return true;
}

bool HeldShiftPress::StartsDrag(const QMouseEvent& event) {
  if (!press_) return false;
  if (!(event.buttons() & Qt::LeftButton)) {
    press_.reset();
    return false;
  }
  const QPoint moved = event.position().toPoint() - press_->position().toPoint();
  if (moved.manhattanLength() < QApplication::startDragDistance()) return false;
  press_.reset();
  return true;
}

std::unique_ptr<QMouseEvent> HeldShiftPress::Release() { return std::move(press_); }

}  // namespace dravik
