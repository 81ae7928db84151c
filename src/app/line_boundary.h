// The window as the line's own thread sees it. Message boxes and the
// settings dialog run on the GUI thread while the asking thread waits for
// the answer; status texts are queued there. Once the line closes, a box
// still waiting for the GUI thread and every later one is answered at once
// as nobody there would answer it (No or Cancel), so the line's thread never
// waits for a window that is gone - nor the GUI thread, which waits for that
// thread when it closes, for a box it will never show.
//
// The line and its thread share it: the thread may outlive the line.
#pragma once

#include <QObject>
#include <condition_variable>
#include <functional>
#include <mutex>

#include "link/ui_boundary.h"

namespace dravik {

class LineBoundary : public MainWindowHandle {
 public:
  // gui: the object on the GUI thread the calls are queued to; it must
  // hold this boundary for as long as it lives.
  explicit LineBoundary(QObject* gui) : gui_(gui) {}
  LineBoundary(const LineBoundary&) = delete;
  LineBoundary& operator=(const LineBoundary&) = delete;

  // Where the boxes, the dialog and the status texts go; null: nowhere.
  void SetWindow(MainWindowHandle* window);
  // The line closes: the boxes waiting are answered, later calls go nowhere.
  // GUI thread only.
  void Close();

  MessageAnswer ShowMessage(std::string_view text, std::string_view caption, MessageIcon icon,
                            MessageButtons buttons) override;
  void ShowNoResponse(std::string_view text) override;
  SettingsAnswer RunCommSettingsDialog(LinkSettings& settings) override;
  void SetStatusText(std::string_view text) override;
  void SetWaitCursor(bool) override {}

 private:
  // Runs ask with the window on the GUI thread and returns its result; when
  // the line is closed, before or meanwhile, returns nobody.
  template <typename R>
  R Ask(std::function<R(MainWindowHandle&)> ask, R nobody);
  // The window while the line is open, else null.
  MainWindowHandle* Window();

  std::mutex mutex_;
  std::condition_variable answered_;
  QObject* gui_;
  MainWindowHandle* window_ = nullptr;
  bool closed_ = false;
};

}  // namespace dravik
