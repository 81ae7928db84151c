// A scripted stand-in for the main window: records every message box, status
// text and settings-dialog run, and answers as the test told it to. Safe to
// call from a worker thread.
#pragma once

#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "link/ui_boundary.h"

namespace dravik::testing {

class FakeMainWindow : public MainWindowHandle {
 public:
  struct Message {
    std::string text;
    std::string caption;
    MessageIcon icon;
  };

  MessageAnswer ShowMessage(std::string_view text, std::string_view caption, MessageIcon icon,
                            MessageButtons) override {
    std::lock_guard<std::mutex> lock(mutex_);
    messages_.push_back({std::string(text), std::string(caption), icon});
    return answer;
  }
  bool RunCommSettingsDialog() override {
    std::function<void()> hook;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      ++settings_dialogs_;
      hook = on_settings_dialog;
    }
    if (hook) hook();  // e.g. change the session's settings, as a user would
    return settings_answer;
  }
  void SetStatusText(std::string_view text) override {
    std::lock_guard<std::mutex> lock(mutex_);
    status_.emplace_back(text);
  }
  void SetWaitCursor(bool on) override {
    std::lock_guard<std::mutex> lock(mutex_);
    wait_cursor_ = on;
  }

  std::vector<Message> messages() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return messages_;
  }
  std::vector<std::string> status_texts() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return status_;
  }
  int settings_dialogs() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return settings_dialogs_;
  }
  bool wait_cursor() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return wait_cursor_;
  }

  // Script: the answer to every message box and to the settings dialog.
  MessageAnswer answer = MessageAnswer::Ok;
  bool settings_answer = false;
  std::function<void()> on_settings_dialog;

 private:
  mutable std::mutex mutex_;
  std::vector<Message> messages_;
  std::vector<std::string> status_;
  int settings_dialogs_ = 0;
  bool wait_cursor_ = false;
};

}  // namespace dravik::testing
