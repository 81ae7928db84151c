#include "cli/console_boundary.h"

#include <unistd.h>

#include <cstdio>

#include "cli/calculator_text.h"

namespace dravik::cli {

MessageAnswer ConsoleWindow::ShowMessage(std::string_view text, std::string_view caption,
                                         MessageIcon, MessageButtons buttons) {
  ++messages_shown_;
  // The calculator's error lines start with "Error: ", which the caption
  // "Error Message from HP48" already says.
  if (caption.find("Error") != std::string_view::npos && text.rfind("Error: ", 0) == 0)
    text.remove_prefix(7);
  // A blank line inside a message box text is one line break on a console.
  // The engine's messages hold calculator names as the calculator's codes.
  std::string flat;
  for (char c : ShownMessage(text))
    if (!(c == '\n' && !flat.empty() && flat.back() == '\n')) flat += c;
  const bool question =
      buttons == MessageButtons::YesNo || buttons == MessageButtons::YesNoCancel ||
      buttons == MessageButtons::YesNoDefaultNo || buttons == MessageButtons::ReplaceKeepSkip;
  if (question) flat += answer_yes_ ? " Yes" : " No";
  std::fprintf(stderr, "\r%.*s: %s\n", static_cast<int>(caption.size()), caption.data(),
               flat.c_str());
  if (!question) return MessageAnswer::Ok;
  if (answer_yes_) return MessageAnswer::Yes;
  ++questions_declined_;
  return MessageAnswer::No;
}

SettingsAnswer ConsoleWindow::RunCommSettingsDialog(LinkSettings&) {
  std::fprintf(stderr, "Giving up. Check the device and line speed (--device, --baud).\n");
  return SettingsAnswer::Cancel;
}

void ConsoleWindow::SetStatusText(std::string_view) {}

ConsoleProgress::ConsoleProgress(bool enabled) : enabled_(enabled && ::isatty(2)) {}

ConsoleProgress::~ConsoleProgress() {
  if (drawn_) std::fprintf(stderr, "\n");
}

void ConsoleProgress::post(int code, long value) {
  if (!enabled_) return;
  std::lock_guard<std::mutex> lock(mutex_);
  switch (code) {
    case kProgressPackets: packets_ = value; break;
    case kProgressItem: item_ = value; bytes_ = 0; break;
    case kProgressBytes: bytes_ = value; break;
    default: return;
  }
  Draw();
}

void ConsoleProgress::Draw() {
  std::fprintf(stderr, "\ritem %ld  packets %ld  bytes %ld   ", item_ + 1, packets_, bytes_);
  std::fflush(stderr);
  drawn_ = true;
}

}  // namespace dravik::cli
