#include "app/window_boundary.h"

#include <QApplication>
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

// The answer to a box nobody is there to see: the one that changes nothing.
MessageAnswer NobodyAnswers(MessageButtons buttons) {
  return buttons == MessageButtons::YesNo || buttons == MessageButtons::YesNoDefaultNo
             ? MessageAnswer::No
             : MessageAnswer::Cancel;
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
  if (closing_ && !OnGuiThreadNow())
    return NobodyAnswers(buttons);
  return OnGuiThread([&] {
    // Closed while the call waited for the GUI thread.
    if (closing_) return NobodyAnswers(buttons);
    return ShowMessageHere(t, c, icon, buttons);
  });
}

void WindowBoundary::ShowNoResponse(std::string_view text) {
  const QString t = FromEngine(text);
  if (closing_) return;
  OnGuiThread([&] {
    if (closing_) return;
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
    case MessageButtons::YesNoDefaultNo:
      box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
      box.setDefaultButton(QMessageBox::No);
      break;
    case MessageButtons::ReplaceKeepSkip:
      box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
      box.button(QMessageBox::Yes)->setText("&Replace");
      box.button(QMessageBox::No)->setText("&Keep Both");
      box.button(QMessageBox::Cancel)->setText("&Skip");
      box.setDefaultButton(QMessageBox::Cancel);
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

SettingsAnswer WindowBoundary::RunCommSettingsDialog(LinkSettings& settings) {
  if (closing_) return SettingsAnswer::Cancel;
  return OnGuiThread([&] {
    if (!commSettingsDialog || closing_) return SettingsAnswer::Cancel;
    const bool waiting = QApplication::overrideCursor() != nullptr;
    if (waiting) QApplication::setOverrideCursor(Qt::ArrowCursor);
    const SettingsAnswer answer = commSettingsDialog(settings);
    if (waiting) QApplication::restoreOverrideCursor();
    return answer;
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
  OnGuiThread([on] {
    if (on)
      QApplication::setOverrideCursor(Qt::WaitCursor);
    else if (QApplication::overrideCursor())
      QApplication::restoreOverrideCursor();
  });
}

}  // namespace dravik
