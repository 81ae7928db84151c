// The engine's window boundary in Qt: message boxes, the communication
// settings dialog, the status bar's message pane and the wait cursor, for
// calls from the GUI thread and from a transfer worker alike.
//
// A call from the line's own thread runs on the GUI thread and blocks the
// caller until the user has answered; a call made on the GUI thread runs
// directly. Once the window closes, calls from the line are answered at
// once (Cancel, No) without a box: nobody is there to answer.
#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <atomic>
#include <functional>

#include "link/ui_boundary.h"

#include <QWidget>

namespace dravik {

class WindowBoundary : public QObject, public MainWindowHandle {
  Q_OBJECT

 public:
  explicit WindowBoundary(QObject* parent = nullptr);

  // The owner of the message boxes (the main window once it exists).
  void SetOwner(QWidget* owner) { owner_ = owner; }
  QWidget* Owner() const { return owner_; }
  // Runs the communication settings dialog from the settings given; they
  // hold what the user chose unless the answer is Cancel.
  std::function<SettingsAnswer(LinkSettings&)> commSettingsDialog;
  // Runs the connection check's dialog; when set, the no-response message
  // offers it with a "Diagnose" button.
  std::function<void()> diagnoseDialog;
  // Shows a text in the status bar's message pane.
  std::function<void(const QString&)> statusText;
  // Tests answer message boxes here instead of a user: called on the GUI
  // thread with the box's text and caption; its answer is the box's.
  std::function<MessageAnswer(const QString& text, const QString& caption)> answerScript;

  MessageAnswer ShowMessage(std::string_view text, std::string_view caption, MessageIcon icon,
                            MessageButtons buttons) override;
  void ShowNoResponse(std::string_view text) override;
  SettingsAnswer RunCommSettingsDialog(LinkSettings& settings) override;
  void SetStatusText(std::string_view text) override;
  void SetWaitCursor(bool on) override;
  // The window is closing: the line's boxes and dialogs are answered at
  // once.
  void SetClosing(bool closing) { closing_ = closing; }

 private:
  // Runs f on the GUI thread and returns its result.
  template <typename F>
  auto OnGuiThread(F f) -> decltype(f());

  // extra, when not empty, is one more button; *extraChosen tells whether
  // the user left the box with it.
  MessageAnswer ShowMessageHere(const QString& text, const QString& caption, MessageIcon icon,
                                MessageButtons buttons, const QString& extra = {},
                                bool* extraChosen = nullptr);

  QPointer<QWidget> owner_;
  std::atomic<bool> closing_{false};
};

}  // namespace dravik
