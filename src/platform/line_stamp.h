// When the line to a serial device was last used, kept in a small file per
// device so that it holds across processes and port openings. A calculator
// going back to its idle state loses what arrives meanwhile, so a program
// that opens the device must know how long ago the last packet went over.
//
// The file is <folder>/line-<major>-<minor> of the device ($XDG_RUNTIME_DIR/
// dravik/ when that is set, else the config folder) and holds the time on
// the system-wide monotonic clock in milliseconds, as decimal text. Only
// the program that holds the device (which it locks) writes it.
#pragma once

#include <chrono>
#include <optional>
#include <string>

namespace dravik {

class LineStamp {
 public:
  using Clock = std::chrono::steady_clock;

  LineStamp() = default;
  ~LineStamp();
  LineStamp(const LineStamp&) = delete;
  LineStamp& operator=(const LineStamp&) = delete;

  // Opens (creating it) the stamp file of the device at device_path. False,
  // with no stamp kept, when the device or the file cannot be opened.
  bool Attach(const std::string& device_path);
  void Detach();

  // The time recorded. None when there is no stamp, or it cannot be read,
  // or it lies more than kLargestAhead in the future (written before the
  // system restarted). A time a little ahead is kept: the line counts as
  // used until then.
  std::optional<Clock::time_point> Last() const;
  // Keeps the time of the latest traffic. During a transfer the file is
  // written at most every kWriteInterval (a write each packet cost a system
  // call and a formatted number per packet); Detach writes the latest.
  void Record(Clock::time_point when);

  static constexpr std::chrono::milliseconds kWriteInterval{50};
  static constexpr std::chrono::seconds kLargestAhead{10};

 private:
  void Write(Clock::time_point when);

  int fd_ = -1;
  Clock::time_point written_{};                 // the time the file holds
  std::optional<Clock::time_point> unwritten_;  // later traffic, not yet in the file
};

}  // namespace dravik
