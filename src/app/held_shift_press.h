// Shift is both Shift+click range selection and "drag by XModem". A press
// with Shift on a row that is already selected is held back, so that a drag
// starting from it carries the selection as it was; when the button comes
// up without a drag, the held press counts as the usual Shift+click.
#pragma once

#include <QMouseEvent>
#include <memory>

class QTreeWidget;

namespace dravik {

class HeldShiftPress {
 public:
  // True when the press is held back (the view must not pass it on).
  bool Press(const QTreeWidget& view, const QMouseEvent& event);
  // True when the pointer has moved far enough with a held press for the
  // view to start its drag now.
  bool StartsDrag(const QMouseEvent& event);
  // The held press to pass to the base class before this release, when no
  // drag came of it; null otherwise.
  std::unique_ptr<QMouseEvent> Release();
  bool held() const { return press_ != nullptr; }

 private:
  std::unique_ptr<QMouseEvent> press_;
};

}  // namespace dravik
