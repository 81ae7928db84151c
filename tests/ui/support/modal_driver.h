// Answers the modal dialogs a window test opens, as a user would: while the
// driver lives, each modal dialog that comes up is handed to act once.
#pragma once

#include <QPointer>
#include <QString>
#include <QTimer>
#include <functional>

class QDialog;
class QWidget;

namespace dravik::testing {

class ModalDriver {
 public:
  explicit ModalDriver(std::function<void(QDialog&)> act);
  // Dialogs handed to act so far.
  int handled() const { return handled_; }

 private:
  void Poll();

  std::function<void(QDialog&)> act_;
  QTimer timer_;
  QPointer<QWidget> last_;
  int handled_ = 0;
};

// Clicks the push button with this text (e.g. "&Exit"); false when the
// dialog has none.
bool ClickButton(QWidget& dialog, const QString& text);

}  // namespace dravik::testing
