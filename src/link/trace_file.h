// A trace file: one readable line per Kermit packet and XModem block or
// control byte, with the time of day and the direction.
//
//   14:03:07.215 kermit > I seq 0 "~* @-#Y1~* "
//   14:03:07.262 kermit < Y seq 0 "~* @-#Y1~* "
//   14:03:09.101 xmodem < NAK
//   14:03:09.102 xmodem > block 1 "HPHP48-E..." checksum 0x3d
//   14:03:12.480 kermit < stopped
//
// The file is appended to, so an earlier trace is never lost; each run
// starts with a heading line. Lines are flushed as they are written so that
// a trace survives a crash. Safe to use from any thread.
#pragma once

#include <chrono>
#include <cstdio>
#include <mutex>
#include <string>
#include <string_view>

#include "link/packet_trace.h"

namespace dravik {

class TraceFile : public PacketTrace {
 public:
  // Opens path for appending; ok() tells whether that worked.
  explicit TraceFile(const std::string& path);
  ~TraceFile() override;
  TraceFile(const TraceFile&) = delete;
  TraceFile& operator=(const TraceFile&) = delete;

  bool ok() const { return file_ != nullptr; }
  // Why the file could not be opened.
  const std::string& error() const { return error_; }

  void KermitPacket(TraceDirection direction, int type, int seq, std::string_view data) override;
  void KermitBadLine(std::string_view line) override;
  void KermitSilence(int timeout_ms) override;
  void KermitStopped() override;
  void XModemSent(std::string_view bytes) override;
  void XModemReceived(uint8_t byte) override;
  void XModemSilence(int timeout_ms) override;
  void XModemStopped() override;

 private:
  using Clock = std::chrono::system_clock;
  void WriteLine(Clock::time_point when, std::string_view protocol, char direction,
                 const std::string& text);
  // Writes the XModem bytes gathered since the last write as one line.
  void FlushReceived();

  std::mutex mutex_;
  std::FILE* file_ = nullptr;
  std::string error_;
  std::string received_;            // XModem bytes read since the last write
  Clock::time_point received_at_{};  // when the first of them arrived
};

// Bytes as a quoted text: printable ASCII as is, CR and LF as \r and \n,
// everything else as \xNN; at most max_bytes shown, then "...".
std::string QuoteBytes(std::string_view bytes, size_t max_bytes = 200);
// XModem bytes in words: "block 3 "..." checksum 0x41", "NAK", "ACK", ...
std::string DescribeXModemBytes(std::string_view bytes);

}  // namespace dravik
