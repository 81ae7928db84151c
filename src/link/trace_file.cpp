#include "link/trace_file.h"

#include <cerrno>
#include <cstring>
#include <ctime>

namespace dravik {
namespace {

constexpr uint8_t kSoh = 1, kEot = 4, kAck = 6, kNak = 21, kCan = 24;
constexpr size_t kBlockFrame = 132;  // SOH, number, complement, 128 data bytes, checksum
// Received XModem bytes further apart than this start a new line.
constexpr auto kGroupGap = std::chrono::milliseconds(500);

const char* ControlName(uint8_t b) {
  switch (b) {
    case kEot: return "EOT";
    case kAck: return "ACK";
    case kNak: return "NAK";
    case kCan: return "CAN";
    case 'C': return "'C'";
    default: return nullptr;
  }
}

std::string Hex(uint8_t b) {
  char text[8];
  std::snprintf(text, sizeof text, "0x%02x", b);
  return text;
}

std::string DescribeBlock(std::string_view frame) {
  const auto* b = reinterpret_cast<const uint8_t*>(frame.data());
  uint8_t sum = 0;
  for (size_t i = 3; i < 131; ++i) sum = static_cast<uint8_t>(sum + b[i]);
  std::string text = "block " + std::to_string(b[1]) + " " +
                     QuoteBytes(frame.substr(3, 128), 16) + " checksum " + Hex(b[131]);
  if (b[2] != static_cast<uint8_t>(255 - b[1])) text += " (complement wrong)";
  if (sum != b[131]) text += " (data sums to " + Hex(sum) + ")";
  return text;
}

}  // namespace

std::string QuoteBytes(std::string_view bytes, size_t max_bytes) {
  std::string out = "\"";
  size_t shown = 0;
  for (char c : bytes) {
    if (shown++ == max_bytes) {
      out += "...";
      break;
    }
    auto b = static_cast<uint8_t>(c);
    if (b == '\r') out += "\\r";
    else if (b == '\n') out += "\\n";
    else if (b == '\\' || b == '"') (out += '\\') += c;
    else if (b >= 32 && b < 127) out += c;
    else {
      char hex[8];
      std::snprintf(hex, sizeof hex, "\\x%02x", b);
      out += hex;
    }
  }
  return out + "\"";
}

std::string DescribeXModemBytes(std::string_view bytes) {
  std::string out;
  size_t i = 0;
  while (i < bytes.size()) {
    if (!out.empty()) out += ' ';
    auto b = static_cast<uint8_t>(bytes[i]);
    if (b == kSoh && bytes.size() - i >= kBlockFrame) {
      out += DescribeBlock(bytes.substr(i, kBlockFrame));
      i += kBlockFrame;
    } else if (b == kSoh) {
      out += "cut block " + QuoteBytes(bytes.substr(i), 24);
      break;
    } else if (const char* name = ControlName(b)) {
      out += name;
      ++i;
    } else {
      // A run of bytes that are neither blocks nor control bytes.
      size_t j = i;
      while (j < bytes.size() && bytes[j] != kSoh && !ControlName(static_cast<uint8_t>(bytes[j])))
        ++j;
      out += QuoteBytes(bytes.substr(i, j - i), 64);
      i = j;
    }
  }
  return out;
}

TraceFile::TraceFile(const std::string& path) {
  file_ = std::fopen(path.c_str(), "a");
  if (!file_) {
    error_ = "cannot write the trace file " + path + ": " + std::strerror(errno);
    return;
  }
  std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  char date[64];
  std::strftime(date, sizeof date, "%Y-%m-%d %H:%M:%S %z", &local);
  std::fprintf(file_, "# Dravik trace started %s; > sent, < received\n", date);
  std::fflush(file_);
}

TraceFile::~TraceFile() {
  if (!file_) return;
  std::lock_guard lock(mutex_);
  FlushReceived();
  std::fclose(file_);
}

void TraceFile::WriteLine(Clock::time_point when, std::string_view protocol, char direction,
                          const std::string& text) {
  if (!file_) return;
  std::time_t seconds = Clock::to_time_t(when);
  std::tm local{};
  localtime_r(&seconds, &local);
  auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(when.time_since_epoch()).count() %
            1000;
  std::fprintf(file_, "%02d:%02d:%02d.%03d %.*s %c %s\n", local.tm_hour, local.tm_min,
               local.tm_sec, static_cast<int>(ms), static_cast<int>(protocol.size()),
               protocol.data(), direction, text.c_str());
  std::fflush(file_);
}

void TraceFile::KermitPacket(TraceDirection direction, int type, int seq, std::string_view data) {
  std::lock_guard lock(mutex_);
  std::string text = std::string(1, static_cast<char>(type)) + " seq " + std::to_string(seq);
  if (!data.empty()) text += " " + QuoteBytes(data);
  WriteLine(Clock::now(), "kermit", direction == TraceDirection::Sent ? '>' : '<', text);
}

void TraceFile::KermitBadLine(std::string_view line) {
  std::lock_guard lock(mutex_);
  WriteLine(Clock::now(), "kermit", '<', "not a valid packet: " + QuoteBytes(line));
}

void TraceFile::KermitSilence(int timeout_ms) {
  std::lock_guard lock(mutex_);
  WriteLine(Clock::now(), "kermit", '<', "nothing within " + std::to_string(timeout_ms) + " ms");
}

void TraceFile::KermitStopped() {
  std::lock_guard lock(mutex_);
  WriteLine(Clock::now(), "kermit", '<', "stopped");
}

void TraceFile::FlushReceived() {
  if (received_.empty()) return;
  WriteLine(received_at_, "xmodem", '<', DescribeXModemBytes(received_));
  received_.clear();
}

void TraceFile::XModemSent(std::string_view bytes) {
  std::lock_guard lock(mutex_);
  FlushReceived();
  WriteLine(Clock::now(), "xmodem", '>', DescribeXModemBytes(bytes));
}

void TraceFile::XModemReceived(uint8_t byte) {
  std::lock_guard lock(mutex_);
  Clock::time_point now = Clock::now();
  // A block is one line however slowly it arrives; separate answers are not.
  bool in_block = !received_.empty() && static_cast<uint8_t>(received_[0]) == kSoh &&
                  received_.size() < kBlockFrame;
  if (!received_.empty() && !in_block && now - received_at_ > kGroupGap) FlushReceived();
  if (received_.empty()) received_at_ = now;
  received_ += static_cast<char>(byte);
}

void TraceFile::XModemSilence(int timeout_ms) {
  std::lock_guard lock(mutex_);
  FlushReceived();
  WriteLine(Clock::now(), "xmodem", '<', "nothing within " + std::to_string(timeout_ms) + " ms");
}

void TraceFile::XModemStopped() {
  std::lock_guard lock(mutex_);
  FlushReceived();
  WriteLine(Clock::now(), "xmodem", '<', "stopped");
}

}  // namespace dravik
