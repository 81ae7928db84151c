// A MainWindowHandle and ProgressSinks for tests. The window records every
// message box, status text, wait-cursor change and settings-dialog run, and
// answers as the test told it to; one sink records what the engine posts,
// the other hands it to a function. All are safe to call from a worker
// thread.
#pragma once

#include <functional>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "link/ui_boundary.h"

namespace dravik::testing {

struct ShownMessage {
  std::string text;
  std::string caption;
  MessageIcon icon;
  MessageButtons buttons;
};

class RecordingWindow : public MainWindowHandle {
 public:
  MessageAnswer ShowMessage(std::string_view text, std::string_view caption, MessageIcon icon,
                            MessageButtons buttons) override {
    std::function<void(const ShownMessage&)> hook;
    ShownMessage m{std::string(text), std::string(caption), icon, buttons};
    MessageAnswer reply;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      messages_.push_back(m);
      hook = on_message_;
      reply = answer;
    }
    // Runs while the box would be open: the engine waits for it.
    if (hook) hook(m);
    return reply;
  }
  SettingsAnswer RunCommSettingsDialog(LinkSettings&) override {
    std::function<void()> hook;
    bool reply;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      ++settings_dialogs_;
      hook = on_settings_dialog;
      reply = settings_answer;
    }
    if (hook) hook();  // e.g. change the session's settings, as a user would
    return reply ? SettingsAnswer::Ok : SettingsAnswer::Cancel;
  }
  void SetStatusText(std::string_view text) override {
    std::lock_guard<std::mutex> lock(mutex_);
    status_.emplace_back(text);
  }
  void SetWaitCursor(bool on) override {
    std::lock_guard<std::mutex> lock(mutex_);
    cursor_.push_back(on);
  }

  void OnMessage(std::function<void(const ShownMessage&)> hook) {
    std::lock_guard<std::mutex> lock(mutex_);
    on_message_ = std::move(hook);
  }
  std::vector<ShownMessage> messages() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return messages_;
  }
  // The texts shown, in order.
  std::vector<std::string> texts() const {
    std::vector<std::string> out;
    for (const ShownMessage& m : messages()) out.push_back(m.text);
    return out;
  }
  std::vector<std::string> status_texts() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return status_;
  }
  int settings_dialogs() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return settings_dialogs_;
  }
  // Whether the wait cursor shows now, and every change in order.
  bool wait_cursor() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return !cursor_.empty() && cursor_.back();
  }
  std::vector<bool> cursor_changes() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return cursor_;
  }

  // Script: the answer to every message box and to the settings dialog.
  // Set them before the engine runs.
  MessageAnswer answer = MessageAnswer::Ok;
  bool settings_answer = false;
  std::function<void()> on_settings_dialog;

 private:
  mutable std::mutex mutex_;
  std::vector<ShownMessage> messages_;
  std::function<void(const ShownMessage&)> on_message_;
  std::vector<std::string> status_;
  std::vector<bool> cursor_;
  int settings_dialogs_ = 0;
};

class RecordingProgress : public ProgressSink {
 public:
  void post(int code, long value) override {
    std::lock_guard<std::mutex> lock(mutex_);
    posts_.emplace_back(code, value);
  }
  std::vector<std::pair<int, long>> posts() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return posts_;
  }
  // The last value posted with this code, or -1.
  long Last(int code) const {
    long value = -1;
    for (const auto& p : posts())
      if (p.first == code) value = p.second;
    return value;
  }

 private:
  mutable std::mutex mutex_;
  std::vector<std::pair<int, long>> posts_;
};

// A ProgressSink that hands each post to a function on the posting thread
// (e.g. to stop a transfer once it has got so far).
class ProgressHook : public ProgressSink {
 public:
  explicit ProgressHook(std::function<void(int code, long value)> hook) : hook_(std::move(hook)) {}
  void post(int code, long value) override { hook_(code, value); }

 private:
  std::function<void(int, long)> hook_;
};

}  // namespace dravik::testing
