// Shift is both Shift+click range selection and "drag by XModem". A press
// with Shift on a row that is already selected is held back, so that a drag
// starting from it carries the selection as it was; when the button comes
// up without a drag, the held press counts as the usual Shift+click.
//
// It watches the view's viewport (where an item view gets its mouse
// events), so the view needs no mouse handlers of its own.
#pragma once

#include <QMouseEvent>
#include <QObject>
#include <functional>
#include <memory>

class QTreeWidget;

namespace dravik {

class HeldShiftPress : public QObject {
 public:
  // startDrag starts the view's drag of its selection.
  HeldShiftPress(QTreeWidget* view, std::function<void()> startDrag);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  bool Press(const QMouseEvent& event);
  bool Move(const QMouseEvent& event);
  void Release();

  QTreeWidget* view_;
  std::function<void()> startDrag_;
  std::unique_ptr<QMouseEvent> press_;
  bool replaying_ = false;
};

}  // namespace dravik
