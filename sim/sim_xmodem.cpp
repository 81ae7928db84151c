#include "sim_xmodem.h"

#include <algorithm>
#include <string>
#include <thread>

namespace dravik::sim {
namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

constexpr uint8_t kSoh = 0x01;
constexpr uint8_t kEot = 0x04;
constexpr uint8_t kAck = 0x06;
constexpr uint8_t kNak = 0x15;
constexpr uint8_t kCan = 0x18;
constexpr size_t kBlock = 128;
constexpr const char* kFailed = "Transfer Failed";

void Put(SimLine& line, uint8_t b) { line.Write(std::string(1, static_cast<char>(b))); }

void Cancel(SimLine& line) { line.Write(std::string(3, static_cast<char>(kCan))); }

// Waits for one of the bytes in `wanted`, ignoring others; 0 on time-out.
uint8_t AwaitByte(SimLine& line, milliseconds timeout, std::string_view wanted) {
  auto deadline = Clock::now() + timeout;
  uint8_t b = 0;
  for (;;) {
    auto left = std::chrono::duration_cast<milliseconds>(deadline - Clock::now());
    if (left.count() <= 0 || line.stopped() || !line.ReadByte(b, left)) return 0;
    if (wanted.find(static_cast<char>(b)) != std::string_view::npos) return b;
  }
}

void Pause(SimLine& line, milliseconds d) {
  auto until = Clock::now() + d;
  while (!line.stopped() && Clock::now() < until)
    std::this_thread::sleep_until(std::min(until, Clock::now() + milliseconds(50)));
}

}  // namespace

XModemTiming XModemTiming::Scaled(double f) const {
  auto s = [f](milliseconds m) { return milliseconds(static_cast<long long>(m.count() * f)); };
  XModemTiming t = *this;
  t.first_nak = s(first_nak);
  t.nak_interval = s(nak_interval);
  t.start_wait = s(start_wait);
  t.reply_wait = s(reply_wait);
  return t;
}

std::string XModemSend(SimLine& line, const Bytes& data, const XModemTiming& timing,
                       const std::function<void()>& waiting) {
  // A NAK left over from the previous transfer does not start this one.
  line.DiscardInput();
  if (waiting) waiting();
  const std::string start = {static_cast<char>(kNak), static_cast<char>(kCan)};
  uint8_t b = AwaitByte(line, timing.start_wait, start);  // a 'C' is ignored
  if (b == 0) return "Timeout";
  if (b == kCan) return kFailed;
  const std::string answers = {static_cast<char>(kAck), static_cast<char>(kNak),
                               static_cast<char>(kCan)};
  uint8_t number = 1;
  for (size_t pos = 0; pos < data.size(); pos += kBlock) {
    std::string block;
    block += static_cast<char>(kSoh);
    block += static_cast<char>(number);
    block += static_cast<char>(255 - number);
    uint8_t sum = 0;
    for (size_t i = 0; i < kBlock; ++i) {
      uint8_t v = pos + i < data.size() ? data[pos + i] : 0;  // filled with zero bytes
      block += static_cast<char>(v);
      sum = static_cast<uint8_t>(sum + v);
    }
    block += static_cast<char>(sum);
    for (int errors = 0;; ++errors) {
      if (errors >= timing.max_errors) {
        Cancel(line);
        return kFailed;
      }
      line.Write(block);
      b = AwaitByte(line, timing.reply_wait, answers);
      if (b == kAck) break;
      if (b == kCan) return kFailed;
      if (line.stopped()) return kFailed;
    }
    ++number;
  }
  for (int errors = 0; errors < timing.max_errors; ++errors) {
    Put(line, kEot);
    b = AwaitByte(line, timing.reply_wait, answers);
    if (b == kAck) return "";
    if (b == kCan || line.stopped()) return kFailed;
  }
  return kFailed;
}

std::string XModemReceive(SimLine& line, Bytes& data, const XModemTiming& timing) {
  data.clear();
  line.DiscardInput();
  Pause(line, timing.first_nak);
  const std::string headers = {static_cast<char>(kSoh), static_cast<char>(kEot),
                               static_cast<char>(kCan)};
  uint8_t b = 0;
  for (int naks = 0;; ++naks) {
    if (naks == timing.start_naks) {
      Cancel(line);
      return kFailed;
    }
    Put(line, kNak);  // never 'C': checksum only
    b = AwaitByte(line, timing.nak_interval, headers);
    if (line.stopped()) return kFailed;
    if (b == kCan) return kFailed;
    if (b == kSoh || b == kEot) break;
  }
  uint8_t expected = 1;
  int errors = 0;
  for (;;) {
    if (b == kEot) {
      Put(line, kAck);
      return "";
    }
    if (b == kCan || line.stopped()) return kFailed;
    bool good = false;
    if (b == kSoh) {
      uint8_t head[2];
      uint8_t body[kBlock + 1];
      bool whole = line.ReadByte(head[0], timing.byte_wait) && line.ReadByte(head[1], timing.byte_wait);
      for (size_t i = 0; whole && i <= kBlock; ++i) whole = line.ReadByte(body[i], timing.byte_wait);
      if (whole && head[1] == static_cast<uint8_t>(255 - head[0])) {
        uint8_t sum = 0;
        for (size_t i = 0; i < kBlock; ++i) sum = static_cast<uint8_t>(sum + body[i]);
        if (sum == body[kBlock]) {
          if (head[0] == expected) {
            data.insert(data.end(), body, body + kBlock);
            ++expected;
            good = true;
          } else if (head[0] == static_cast<uint8_t>(expected - 1)) {
            good = true;  // a repeat after a lost ACK: already stored
          }
        }
      }
      if (!whole) line.DiscardInput();
    }
    if (good) {
      errors = 0;
      Put(line, kAck);
    } else {
      if (++errors >= timing.max_errors) {
        Cancel(line);
        return kFailed;
      }
      Put(line, kNak);
    }
    // Silence where a block should start: ask again, up to the error limit.
    while ((b = AwaitByte(line, timing.reply_wait, headers)) == 0) {
      if (++errors >= timing.max_errors || line.stopped()) {
        Cancel(line);
        return kFailed;
      }
      Put(line, kNak);
    }
  }
}

}  // namespace dravik::sim
