// The engine's window boundary in Qt: message boxes, the communication
// settings dialog, the status bar's message pane and the wait cursor, for
// calls from the GUI thread and from a transfer worker alike.
//
// A call from the worker runs on the GUI thread and blocks the worker until
// the user has answered; a call made on the GUI thread runs directly. While
// the link waits for the line on the GUI thread, KeepResponsive lets the
// window repaint (user input stays held back until the operation ends).
#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
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
  // Runs the communication settings dialog; true for OK.
  std::function<bool()> commSettingsDialog;
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
  bool RunCommSettingsDialog() override;
  void SetStatusText(std::string_view text) override;
  void SetWaitCursor(bool on) override;
  void KeepResponsive() override;
  // An operation runs on the link (its wait cursor is up).
  bool Busy() const { return busy_ > 0; }

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
  qint64 lastPumpMs_ = 0;
  int busy_ = 0;  // wait cursors up, on the GUI thread
};

}  // namespace dravik
