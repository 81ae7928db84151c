#include "support/modal_driver.h"

#include <QApplication>
#include <QDialog>
#include <QPushButton>

namespace dravik::testing {

ModalDriver::ModalDriver(std::function<void(QDialog&)> act) : act_(std::move(act)) {
  QObject::connect(&timer_, &QTimer::timeout, [this] { Poll(); });
  timer_.start(10);
}

void ModalDriver::Poll() {
  auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
  if (!dialog || dialog == last_ || !dialog->isVisible()) return;
  last_ = dialog;
  ++handled_;
  act_(*dialog);
}

bool ClickButton(QWidget& dialog, const QString& text) {
  for (QPushButton* button : dialog.findChildren<QPushButton*>()) {
    if (button->text() == text) {
      button->click();
      return true;
    }
  }
  return false;
}

}  // namespace dravik::testing
