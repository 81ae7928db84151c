#include "link/operation_log.h"

#include <algorithm>
#include <cstdio>
#include <ctime>

namespace dravik {
namespace {

// A message box text on one line: its lines joined with " - ".
std::string OneLine(std::string_view text) {
  std::string out;
  bool pending_break = false;
  for (char c : text) {
    if (c == '\r' || c == '\n') {
      pending_break = !out.empty();
      continue;
    }
    if (pending_break) out += " - ";
    pending_break = false;
    out += c;
  }
  return out;
}

std::string CheckSummary(int matched, const std::vector<std::string>& problems) {
  if (problems.empty()) {
    if (matched == 0) return {};
    return matched == 1 ? "checksum matches"
                        : "checksums match (" + std::to_string(matched) + " objects)";
  }
  std::string text;
  for (const std::string& p : problems) text += (text.empty() ? "" : "; ") + p;
  if (matched > 0)
    text += "; " + std::to_string(matched) + (matched == 1 ? " other matches" : " others match");
  return text;
}

}  // namespace

void OperationLog::SetListener(Listener listener) {
  std::lock_guard lock(mutex_);
  listener_ = std::move(listener);
}

void OperationLog::Begin(std::string what) {
  std::lock_guard lock(mutex_);
  if (depth_++ > 0) return;
  open_ = LogEntry{};
  open_.started = std::chrono::system_clock::now();
  open_.what = std::move(what);
  openedAt_ = std::chrono::steady_clock::now();
  matched_ = 0;
  checks_.clear();
  stopped_ = false;
}

void OperationLog::NoteStopped() {
  std::lock_guard lock(mutex_);
  if (depth_ > 0) stopped_ = true;
}

void OperationLog::End(LogOutcome outcome) {
  std::lock_guard lock(mutex_);
  if (depth_ == 0 || --depth_ > 0) return;
  if (stopped_ && (outcome == LogOutcome::Failed || outcome == LogOutcome::Cancelled))
    outcome = LogOutcome::Stopped;
  open_.outcome = outcome;
  open_.duration = std::chrono::duration_cast<std::chrono::milliseconds>(
      std::chrono::steady_clock::now() - openedAt_);
  open_.check = CheckSummary(matched_, checks_);
  entries_.push_back(std::move(open_));
  if (listener_) listener_(entries_.back());
}

void OperationLog::AddBytes(int64_t bytes) {
  std::lock_guard lock(mutex_);
  if (depth_ == 0 || bytes <= 0) return;
  open_.bytes = std::max<int64_t>(open_.bytes, 0) + bytes;
}

void OperationLog::SetBytes(int64_t bytes) {
  std::lock_guard lock(mutex_);
  if (depth_ > 0) open_.bytes = bytes;
}

void OperationLog::NoteError(std::string_view text) {
  std::lock_guard lock(mutex_);
  if (depth_ > 0 && open_.reason.empty()) open_.reason = OneLine(text);
}

void OperationLog::NoteCheck(std::string_view name, ObjectCheckNote note) {
  std::lock_guard lock(mutex_);
  if (depth_ == 0) return;
  const std::string n(name);
  switch (note) {
    case ObjectCheckNote::Match: ++matched_; break;
    case ObjectCheckNote::Mismatch:
      checks_.push_back(n + ": checksum differs");
      open_.checkFailed = true;
      break;
    case ObjectCheckNote::NotListed:
      checks_.push_back(n + ": not on the calculator");
      open_.checkFailed = true;
      break;
    case ObjectCheckNote::Unchecked: checks_.push_back(n + ": not checked"); break;
  }
}

std::vector<LogEntry> OperationLog::Entries() const {
  std::lock_guard lock(mutex_);
  return entries_;
}

std::string OperationLog::Text() const {
  std::string text;
  for (const LogEntry& e : Entries()) text += LogLine(e) + "\n";
  return text;
}

LoggedOperation::LoggedOperation(OperationLog* log, std::string what) : log_(log) {
  if (log_) log_->Begin(std::move(what));
}

LoggedOperation::~LoggedOperation() { End(LogOutcome::Failed); }

int LoggedOperation::Result(int result, bool cancelled) {
  End(result ? LogOutcome::Done : cancelled ? LogOutcome::Cancelled : LogOutcome::Failed);
  return result;
}

void LoggedOperation::End(LogOutcome outcome) {
  if (ended_) return;
  ended_ = true;
  if (log_) log_->End(outcome);
}

std::string NamesForLog(const std::vector<std::string>& names) {
  constexpr size_t kShown = 4;
  std::string text;
  const size_t shown = names.size() > kShown + 1 ? kShown : names.size();
  for (size_t i = 0; i < shown; ++i) {
    if (i > 0) text += i + 1 == names.size() ? " and " : ", ";
    text += names[i];
  }
  if (shown < names.size()) text += " and " + std::to_string(names.size() - shown) + " more";
  return text;
}

const char* OutcomeWord(LogOutcome outcome) {
  switch (outcome) {
    case LogOutcome::Done: return "done";
    case LogOutcome::Failed: return "FAILED";
    case LogOutcome::Cancelled: return "cancelled";
    case LogOutcome::Stopped: return "stopped";
    case LogOutcome::Skipped: return "skipped";
  }
  return "";
}

std::string LogTime(const LogEntry& entry) {
  const std::time_t seconds = std::chrono::system_clock::to_time_t(entry.started);
  std::tm local{};
  localtime_r(&seconds, &local);
  char text[16];
  std::strftime(text, sizeof text, "%H:%M:%S", &local);
  return text;
}

std::string LogBytes(const LogEntry& entry) {
  if (entry.bytes < 0) return {};
  return std::to_string(entry.bytes) + (entry.bytes == 1 ? " byte" : " bytes");
}

std::string LogDuration(const LogEntry& entry) {
  const int64_t ms = entry.duration.count();
  if (ms < 10000) {
    char text[16];
    std::snprintf(text, sizeof text, "%.1f s", static_cast<double>(ms) / 1000.0);
    return text;
  }
  const int64_t s = (ms + 500) / 1000;
  if (s < 60) return std::to_string(s) + " s";
  return std::to_string(s / 60) + " min " + std::to_string(s % 60) + " s";
}

std::string LogOutcomeText(const LogEntry& entry) {
  std::string text = OutcomeWord(entry.outcome);
  if (entry.outcome != LogOutcome::Done && !entry.reason.empty()) text += ": " + entry.reason;
  return text;
}

std::string LogLine(const LogEntry& entry) {
  std::string line = LogTime(entry) + "  " + entry.what;
  const std::string bytes = LogBytes(entry);
  if (!bytes.empty()) line += "  " + bytes;
  line += "  " + LogDuration(entry) + "  " + LogOutcomeText(entry);
  if (!entry.check.empty()) line += "  " + entry.check;
  return line;
}

}  // namespace dravik
