#include "app/line_boundary.h"

#include <QMetaObject>
#include <QThread>
#include <memory>
#include <string>
#include <utility>

namespace dravik {

void LineBoundary::SetWindow(MainWindowHandle* window) {
  std::lock_guard<std::mutex> lock(mutex_);
  window_ = window;
}

void LineBoundary::Close() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    closed_ = true;
    window_ = nullptr;
  }
  answered_.notify_all();
}

MainWindowHandle* LineBoundary::Window() {
  std::lock_guard<std::mutex> lock(mutex_);
  return closed_ ? nullptr : window_;
}

template <typename R>
R LineBoundary::Ask(std::function<R(MainWindowHandle&)> ask, R nobody) {
  // What the box answers, kept apart from the caller: a box still open
  // when the line closes answers into this, not into a caller gone on.
  struct Pending {
    bool done = false;
    R answer;
  };
  auto pending = std::make_shared<Pending>(Pending{false, nobody});
  std::unique_lock<std::mutex> lock(mutex_);
  if (closed_ || !window_) return nobody;
  // The GUI object lives while the line is open (its end closes the line
  // first), so it is used only under the lock.
  if (QThread::currentThread() == gui_->thread()) {
    MainWindowHandle* window = window_;
    lock.unlock();
    return ask(*window);
  }
  QMetaObject::invokeMethod(
      gui_,
      [this, pending, ask = std::move(ask)] {
        MainWindowHandle* window = Window();
        if (!window) return;
        R answer = ask(*window);
        {
          std::lock_guard<std::mutex> answered(mutex_);
          if (pending->done) return;
          pending->answer = std::move(answer);
          pending->done = true;
        }
        answered_.notify_all();
      },
      Qt::QueuedConnection);
  answered_.wait(lock, [&] { return pending->done || closed_; });
  pending->done = true;  // a box that answers later changes nothing
  return pending->answer;
}

MessageAnswer LineBoundary::ShowMessage(std::string_view text, std::string_view caption,
                                        MessageIcon icon, MessageButtons buttons) {
  const MessageAnswer nobody = buttons == MessageButtons::YesNo ||
                                       buttons == MessageButtons::YesNoDefaultNo
                                   ? MessageAnswer::No
                                   : MessageAnswer::Cancel;
  return Ask<MessageAnswer>(
      [text = std::string(text), caption = std::string(caption), icon,
       buttons](MainWindowHandle& window) {
        return window.ShowMessage(text, caption, icon, buttons);
      },
      nobody);
}

void LineBoundary::ShowNoResponse(std::string_view text) {
  Ask<bool>(
      [text = std::string(text)](MainWindowHandle& window) {
        window.ShowNoResponse(text);
        return true;
      },
      false);
}

SettingsAnswer LineBoundary::RunCommSettingsDialog(LinkSettings& settings) {
  // The dialog edits a copy: one still open when the line closes must not
  // write into settings the caller uses again.
  using Result = std::pair<SettingsAnswer, LinkSettings>;
  const Result result = Ask<Result>(
      [edited = settings](MainWindowHandle& window) mutable {
        const SettingsAnswer answer = window.RunCommSettingsDialog(edited);
        return Result{answer, edited};
      },
      Result{SettingsAnswer::Cancel, settings});
  settings = result.second;
  return result.first;
}

void LineBoundary::SetStatusText(std::string_view text) {
  // Not worth waiting for: queued, and dropped once the line is closed.
  std::lock_guard<std::mutex> lock(mutex_);
  if (closed_ || !window_) return;
  QMetaObject::invokeMethod(
      gui_,
      [this, text = std::string(text)] {
        if (MainWindowHandle* window = Window()) window->SetStatusText(text);
      },
      Qt::QueuedConnection);
}

}  // namespace dravik
