// The simulated calculator's end of the serial line: a pseudo-terminal whose
// controlling side it holds (clients open the device path), with the test
// controls of a real line: speed limit, noise, silence and reply delay.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <string_view>

#include "line_faults.h"

namespace dravik::sim {

class SimLine {
 public:
  SimLine();  // opens the pseudo-terminal in raw mode
  ~SimLine();
  SimLine(const SimLine&) = delete;
  SimLine& operator=(const SimLine&) = delete;

  bool ok() const { return master_ >= 0; }
  const std::string& error() const { return error_; }
  const std::string& device() const { return device_; }

  // One byte from the client; false after the time-out, when stopped, or
  // while the line is silent.
  bool ReadByte(uint8_t& b, std::chrono::milliseconds timeout);
  // Writes bytes to the client (one call per packet or block).
  void Write(std::string_view bytes);
  // Throws away whatever the client has sent and not yet been read.
  void DiscardInput();

  // Ends every wait at once; used when the simulator stops.
  void Stop() { stopped_ = true; }
  bool stopped() const { return stopped_; }

  // --- controls, callable from any thread ---
  // Bytes per second each way is baud / 10; 0 means no limit.
  void SetBaud(int baud);
  // When on, a client whose line speed (its termios setting) differs from
  // the baud rate gets, and sends, garble as on a real line at the wrong
  // speed. Off, a pseudo-terminal carries bytes whatever the speeds.
  void SetSpeedMustMatch(bool on) { speed_must_match_ = on; }
  // Rate of faulty bytes in each direction (0 = clean line).
  void SetNoise(double rate, uint32_t seed);
  // A silent calculator neither reads nor answers.
  void SetSilent(bool silent) { silent_ = silent; }
  bool silent() const { return silent_; }
  // Extra wait before each reply written.
  void SetReplyDelay(std::chrono::milliseconds delay) { delay_ms_ = delay.count(); }
  FaultCounts OutgoingFaults() const;
  FaultCounts IncomingFaults() const;

 private:
  bool FillPending(std::chrono::milliseconds timeout);
  void Pace(std::chrono::steady_clock::time_point& next, size_t bytes);
  void WriteAll(const uint8_t* data, size_t size);
  // The client's line speed when it differs from ours and that matters; 0
  // when the bytes pass unchanged.
  int MismatchedClientBaud() const;

  int master_ = -1;
  int slave_ = -1;
  std::string device_;
  std::string error_;
  std::atomic<bool> stopped_{false};
  std::atomic<bool> silent_{false};
  std::atomic<long long> delay_ms_{0};
  std::atomic<int> baud_{0};
  std::atomic<bool> speed_must_match_{false};

  mutable std::mutex faults_mutex_;
  LineFaults rx_faults_;
  LineFaults tx_faults_;

  std::deque<uint8_t> pending_;
  std::chrono::steady_clock::time_point rx_next_{};
  std::chrono::steady_clock::time_point tx_next_{};
};

}  // namespace dravik::sim
