#include "sim_xmodem.h"

#include <algorithm>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "link/block_check.h"

namespace dravik::sim {
namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

constexpr uint8_t kSoh = 0x01;
constexpr uint8_t kStx = 0x02;
constexpr uint8_t kEot = 0x04;
constexpr uint8_t kAck = 0x06;
constexpr uint8_t kNak = 0x15;
constexpr uint8_t kCan = 0x18;
constexpr uint8_t kCrcRequest = 'D';  // a 49's start for CRC-16 blocks
constexpr size_t kBlock = 128;
constexpr size_t kLongBlock = 1024;
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

// A block's check: the arithmetic sum of its data, or with crc its
// CRC-16/KERMIT, high byte first.
std::string Check(const uint8_t* data, size_t size, bool crc) {
  if (crc) {
    const unsigned c = Crc16Kermit(data, size);
    return {static_cast<char>(c >> 8), static_cast<char>(c & 0xFF)};
  }
  uint8_t sum = 0;
  for (size_t i = 0; i < size; ++i) sum = static_cast<uint8_t>(sum + data[i]);
  return std::string(1, static_cast<char>(sum));
}

}  // namespace

XModemTiming XModemTiming::ForStyle(const XModemStyle& style) {
  XModemTiming t;
  t.first_nak = milliseconds(style.first_nak_ms);
  if (style.crc_start) {
    t.crc_request_count = static_cast<int>(style.crc_requests_ms.size());
    for (size_t k = 0; k < style.crc_requests_ms.size(); ++k) {
      t.crc_requests[k] = milliseconds(style.crc_requests_ms[k]);
    }
  }
  return t;
}

XModemTiming XModemTiming::Scaled(double f) const {
  auto s = [f](milliseconds m) { return milliseconds(static_cast<long long>(m.count() * f)); };
  XModemTiming t = *this;
  t.first_nak = s(first_nak);
  t.nak_interval = s(nak_interval);
  for (auto& at : t.crc_requests) at = s(at);
  t.start_wait = s(start_wait);
  t.reply_wait = s(reply_wait);
  return t;
}

std::string XModemSend(SimLine& line, const Bytes& data, const Bytes& fill,
                       const XModemTiming& timing, const XModemStyle& style,
                       const std::function<void()>& waiting) {
  // A NAK left over from the previous transfer does not start this one.
  line.DiscardInput();
  if (waiting) waiting();
  std::string start = {static_cast<char>(kNak), static_cast<char>(kCan)};
  if (style.crc_start) start += static_cast<char>(kCrcRequest);
  uint8_t b = AwaitByte(line, timing.start_wait, start);  // a 'C' is ignored
  if (b == 0) return "Timeout";
  if (b == kCan) return kFailed;
  const bool crc = b == kCrcRequest;
  const std::string answers = {static_cast<char>(kAck), static_cast<char>(kNak),
                               static_cast<char>(kCan)};
  // What follows the data in the last block: the fill, then zero bytes.
  auto byte_at = [&](size_t i) -> uint8_t {
    if (i < data.size()) return data[i];
    return i - data.size() < fill.size() ? fill[i - data.size()] : 0;
  };
  uint8_t number = 1;
  for (size_t pos = 0; pos < data.size(); ++number) {
    const bool long_block = style.long_first_block && pos == 0 && data.size() >= kLongBlock;
    const size_t size = long_block ? kLongBlock : kBlock;
    std::vector<uint8_t> body(size);
    for (size_t i = 0; i < size; ++i) body[i] = byte_at(pos + i);
    std::string block = {static_cast<char>(long_block ? kStx : kSoh), static_cast<char>(number),
                         static_cast<char>(255 - number)};
    block.append(body.begin(), body.end());
    block += Check(body.data(), body.size(), crc);
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
    pos += size;
  }
  for (int errors = 0; errors < timing.max_errors; ++errors) {
    Put(line, kEot);
    b = AwaitByte(line, timing.reply_wait, answers);
    if (b == kAck) return "";
    if (b == kCan || line.stopped()) return kFailed;
  }
  return kFailed;
}

std::string XModemReceive(SimLine& line, Bytes& data, const XModemTiming& timing,
                          const XModemStyle& style) {
  data.clear();
  line.DiscardInput();
  std::string headers = {static_cast<char>(kSoh), static_cast<char>(kEot), static_cast<char>(kCan)};
  if (style.long_first_block) headers += static_cast<char>(kStx);
  // The start: 'D's asking for CRC blocks (a 49), then NAKs asking for
  // checksum blocks, each at its time from the start.
  std::vector<std::pair<milliseconds, uint8_t>> invitations;
  for (int k = 0; k < timing.crc_request_count; ++k) {
    invitations.push_back({timing.crc_requests[k], kCrcRequest});
  }
  for (int k = 0; k < timing.start_naks; ++k) {
    invitations.push_back({timing.first_nak + k * timing.nak_interval, kNak});
  }
  if (invitations.empty()) return kFailed;
  const auto started = Clock::now();
  Pause(line, invitations[0].first);
  uint8_t b = 0;
  bool crc = false;
  for (size_t k = 0; k < invitations.size() && b == 0; ++k) {
    Put(line, invitations[k].second);
    crc = invitations[k].second == kCrcRequest;
    const auto next = k + 1 < invitations.size() ? started + invitations[k + 1].first
                                                 : Clock::now() + timing.nak_interval;
    b = AwaitByte(line, std::chrono::duration_cast<milliseconds>(next - Clock::now()), headers);
    if (line.stopped() || b == kCan) return kFailed;
  }
  if (b == 0) {
    Cancel(line);
    return kFailed;
  }
  const size_t check_size = crc ? 2 : 1;
  uint8_t expected = 1;
  int errors = 0;
  for (;;) {
    if (b == kEot) {
      Put(line, kAck);
      return "";
    }
    if (b == kCan || line.stopped()) return kFailed;
    bool good = false;
    if (b == kSoh || b == kStx) {
      const size_t size = b == kStx ? kLongBlock : kBlock;
      std::vector<uint8_t> block(2 + size + check_size);
      bool whole = true;
      for (size_t i = 0; whole && i < block.size(); ++i) whole = line.ReadByte(block[i], timing.byte_wait);
      if (whole && block[1] == static_cast<uint8_t>(255 - block[0]) &&
          Check(block.data() + 2, size, crc) ==
              std::string(block.begin() + 2 + static_cast<long>(size), block.end())) {
        if (block[0] == expected) {
          data.insert(data.end(), block.begin() + 2, block.begin() + 2 + static_cast<long>(size));
          ++expected;
          good = true;
        } else if (block[0] == static_cast<uint8_t>(expected - 1)) {
          good = true;  // a repeat after a lost ACK: already stored
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
