#include "app/window_boundary.h"

#include <QApplication>
#include <QDateTime>
#include <QMessageBox>
#include <QPushButton>
#include <QThread>
#include <QWidget>
#include <algorithm>

namespace dravik {

namespace {

QString FromEngine(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

bool OnGuiThreadNow() {
  return QCoreApplication::instance() &&
         QThread::currentThread() == QCoreApplication::instance()->thread();
}

}  // namespace

WindowBoundary::WindowBoundary(QObject* parent) : QObject(parent) {}

template <typename F>
auto WindowBoundary::OnGuiThread(F f) -> decltype(f()) {
  if (OnGuiThreadNow()) return f();
  using Result = decltype(f());
  if constexpr (std::is_void_v<Result>) {
    QMetaObject::invokeMethod(this, f, Qt::BlockingQueuedConnection);
  } else {
    Result result{};
    QMetaObject::invokeMethod(
        this, [&] { result = f(); }, Qt::BlockingQueuedConnection);
    return result;
  }
}

MessageAnswer WindowBoundary::ShowMessage(std::string_view text, std::string_view caption,
                                          MessageIcon icon, MessageButtons buttons) {
  const QString t = FromEngine(text), c = FromEngine(caption);
  return OnGuiThread([&] { return ShowMessageHere(t, c, icon, buttons); });
}

void WindowBoundary::ShowNoResponse(std::string_view text) {
  const QString t = FromEngine(text);
  OnGuiThread([&] {
    // A test's scripted answers know no Diagnose button.
    if (answerScript || !diagnoseDialog) {
      ShowMessageHere(t, "Error", MessageIcon::Error, MessageButtons::Ok);
      return;
    }
    bool diagnose = false;
    ShowMessageHere(t, "Error", MessageIcon::Error, MessageButtons::Ok, "&Diagnose", &diagnose);
    if (diagnose) {
      const bool waiting = QApplication::overrideCursor() != nullptr;
      if (waiting) QApplication::setOverrideCursor(Qt::ArrowCursor);
      diagnoseDialog();
      if (waiting) QApplication::restoreOverrideCursor();
    }
  });
}

MessageAnswer WindowBoundary::ShowMessageHere(const QString& text, const QString& caption,
                                              MessageIcon icon, MessageButtons buttons,
                                              const QString& extra, bool* extraChosen) {
  if (answerScript) return answerScript(text, caption);
  QMessageBox box(owner_);
  box.setWindowTitle(caption);
  box.setText(text);
  switch (icon) {
    case MessageIcon::Error: box.setIcon(QMessageBox::Critical); break;
    case MessageIcon::Warning: box.setIcon(QMessageBox::Warning); break;
    case MessageIcon::Information: box.setIcon(QMessageBox::Information); break;
    case MessageIcon::Question: box.setIcon(QMessageBox::Question); break;
  }
  switch (buttons) {
    case MessageButtons::Ok: box.setStandardButtons(QMessageBox::Ok); break;
    case MessageButtons::OkCancel: box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel); break;
    case MessageButtons::YesNo: box.setStandardButtons(QMessageBox::Yes | QMessageBox::No); break;
    case MessageButtons::YesNoCancel:
      box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
      break;
  }
  QPushButton* extraButton =
      extra.isEmpty() ? nullptr : box.addButton(extra, QMessageBox::ActionRole);
  // The wait cursor of the operation that raised the box must not hide the
  // arrow the user needs to answer it.
  const bool waiting = QApplication::overrideCursor() != nullptr;
  if (waiting) QApplication::setOverrideCursor(Qt::ArrowCursor);
  const int answer = box.exec();
  if (waiting) QApplication::restoreOverrideCursor();
  if (extraChosen) *extraChosen = extraButton && box.clickedButton() == extraButton;
  switch (answer) {
    case QMessageBox::Yes: return MessageAnswer::Yes;
    case QMessageBox::No: return MessageAnswer::No;
    case QMessageBox::Cancel: return MessageAnswer::Cancel;
    default: return MessageAnswer::Ok;
  }
}

bool WindowBoundary::RunCommSettingsDialog() {
  return OnGuiThread([&] {
    if (!commSettingsDialog) return false;
    const bool waiting = QApplication::overrideCursor() != nullptr;
    if (waiting) QApplication::setOverrideCursor(Qt::ArrowCursor);
    const bool ok = commSettingsDialog();
    if (waiting) QApplication::restoreOverrideCursor();
    return ok;
  });
}

void WindowBoundary::SetStatusText(std::string_view text) {
  const QString t = FromEngine(text);
  // Not worth blocking a worker for: queued when it comes from one.
  if (!OnGuiThreadNow()) {
    QMetaObject::invokeMethod(this, [this, t] { if (statusText) statusText(t); },
                              Qt::QueuedConnection);
    return;
  }
  if (statusText) statusText(t);
}

void WindowBoundary::SetWaitCursor(bool on) {
  OnGuiThread([this, on] {
    busy_ = std::max(0, busy_ + (on ? 1 : -1));
    if (on)
      QApplication::setOverrideCursor(Qt::WaitCursor);
    else if (QApplication::overrideCursor())
      QApplication::restoreOverrideCursor();
  });
}

void WindowBoundary::KeepResponsive() {
  if (!OnGuiThreadNow()) return;
  // Paint and timers only: a click or key now could start a second operation
  // on the link that is busy below us.
  const qint64 now = QDateTime::currentMSecsSinceEpoch();
  if (now - lastPumpMs_ < 30) return;
  lastPumpMs_ = now;
  QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

}  // namespace dravik
