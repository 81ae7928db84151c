// A MainWindowHandle and a ProgressSink for tests: they record what the
// engine shows and posts, and let a test act when a message box opens.
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
};

class RecordingWindow : public MainWindowHandle {
 public:
  MessageAnswer ShowMessage(std::string_view text, std::string_view caption, MessageIcon icon,
                            MessageButtons) override {
    std::function<void(const ShownMessage&)> hook;
    ShownMessage m{std::string(text), std::string(caption), icon};
    {
      std::lock_guard<std::mutex> lock(mutex_);
      messages_.push_back(m);
      hook = on_message_;
    }
    // Runs while the box would be open: the engine waits for it.
    if (hook) hook(m);
    return MessageAnswer::Ok;
  }
  bool RunCommSettingsDialog() override { return false; }
  void SetStatusText(std::string_view) override {}
  void SetWaitCursor(bool) override {}

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

 private:
  mutable std::mutex mutex_;
  std::vector<ShownMessage> messages_;
  std::function<void(const ShownMessage&)> on_message_;
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

}  // namespace dravik::testing
