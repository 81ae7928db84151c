// The window-system boundary for a console program: messages go to stderr,
// the no-response dialog reports and gives up, progress is one line on
// stderr when it is a terminal.
#pragma once

#include <mutex>
#include <string>

#include "link/ui_boundary.h"

namespace dravik::cli {

class ConsoleWindow : public MainWindowHandle {
 public:
  MessageAnswer ShowMessage(std::string_view text, std::string_view caption, MessageIcon icon,
                            MessageButtons buttons) override;
  SettingsAnswer RunCommSettingsDialog(LinkSettings& settings) override;
  void SetStatusText(std::string_view text) override;
  void SetWaitCursor(bool) override {}
  // The messages shown so far, for the exit message of a failed command.
  int messages_shown() const { return messages_shown_; }
  // Nobody is there to answer a question: it is answered No (keep what is
  // there) unless the command line allowed Yes (mv --replace).
  void AnswerQuestionsYes(bool yes) { answer_yes_ = yes; }
  int questions_declined() const { return questions_declined_; }

 private:
  int messages_shown_ = 0;
  bool answer_yes_ = false;
  int questions_declined_ = 0;
};

class ConsoleProgress : public ProgressSink {
 public:
  explicit ConsoleProgress(bool enabled);
  ~ConsoleProgress() override;
  void post(int code, long value) override;

 private:
  void Draw();
  bool enabled_;
  std::mutex mutex_;
  long packets_ = 0, item_ = -1, bytes_ = 0;
  bool drawn_ = false;
};

}  // namespace dravik::cli
