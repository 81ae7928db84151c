#include "diagnose/line_probe.h"

#include <algorithm>
#include <chrono>

#include "link/block_check.h"

namespace dravik {
namespace {

constexpr char kMark = 1, kNak = 21;

// A valid packet with a type 1 check (the check every server uses to answer
// an I packet and for its idle NAK) starts somewhere in heard.
bool HoldsKermitPacket(std::string_view heard) {
  for (size_t mark = heard.find(kMark); mark != std::string_view::npos;
       mark = heard.find(kMark, mark + 1)) {
    std::string_view rest = heard.substr(mark + 1);
    if (rest.size() < 4) return false;
    const int len = static_cast<uint8_t>(rest[0]) - 32;  // SEQ, TYPE, data, check
    if (len < 3 || rest.size() < static_cast<size_t>(len) + 1) continue;
    const auto* bytes = reinterpret_cast<const uint8_t*>(rest.data());
    if (BlockCheck(1, bytes, static_cast<size_t>(len)) == rest.substr(static_cast<size_t>(len), 1))
      return true;
  }
  return false;
}

}  // namespace

std::string ProbePacket() {
  // The parameters Dravik offers: MAXL 94, TIME 7, no padding, EOL CR,
  // control prefix #, 8th-bit prefix on request, block check 1.
  const std::string body = std::string(1, static_cast<char>(32 + 8 + 3)) + " I~' @-#Y1";
  std::string packet = "\r";
  packet += kMark;
  packet += body;
  packet += BlockCheck(1, reinterpret_cast<const uint8_t*>(body.data()), body.size());
  return packet + "\r";
}

LineAnswer ClassifyAnswer(std::string_view heard) {
  if (heard.empty()) return LineAnswer::Silence;
  if (HoldsKermitPacket(heard)) return LineAnswer::Kermit;
  if (std::all_of(heard.begin(), heard.end(), [](char c) { return c == kNak; }))
    return LineAnswer::XModemNak;
  if (std::all_of(heard.begin(), heard.end(), [](char c) { return c == 'C'; }))
    return LineAnswer::XModemCrc;
  return LineAnswer::Garbled;
}

ProbeResult ProbeLine(const std::string& device, uint32_t baud, int tries, int wait_ms) {
  using Clock = std::chrono::steady_clock;
  ProbeResult result;
  SerialDevice line;
  LineSettings settings;
  settings.baud = baud;
  result.open_error = line.Open(device, settings);
  if (result.open_error != DeviceError::Ok) return result;
  line.DiscardInput();
  const std::string packet = ProbePacket();
  for (int attempt = 0; attempt < tries; ++attempt) {
    line.Write(reinterpret_cast<const uint8_t*>(packet.data()), packet.size(), 2000);
    const auto deadline = Clock::now() + std::chrono::milliseconds(wait_ms);
    for (;;) {
      const auto left =
          std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
      uint8_t byte = 0;
      if (left <= 0 || !line.ReadByte(byte, static_cast<int>(left))) break;
      result.heard += static_cast<char>(byte);
      if (byte == '\r' && HoldsKermitPacket(result.heard)) {
        result.answer = LineAnswer::Kermit;
        return result;
      }
    }
  }
  result.answer = ClassifyAnswer(result.heard);
  return result;
}

}  // namespace dravik
