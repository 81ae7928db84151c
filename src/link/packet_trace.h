// What went over the line, packet by packet, for a trace file that a user
// attaches to a bug report.
//
// The links report to the session's PacketTrace when one is set (dravik
// and dravik-cli --trace FILE); without one they skip every report after one
// pointer check per packet or byte. Kermit reports whole packets from its
// packet layer, each time one goes on the wire (a packet sent again is
// reported again);
// XModem reports the bytes it writes in one go (a block or a control byte)
// and each byte it reads, and the trace groups what arrives between two
// writes.
#pragma once

#include <cstdint>
#include <string_view>

namespace dravik {

enum class TraceDirection { Sent, Received };

class PacketTrace {
 public:
  virtual ~PacketTrace() = default;

  // A Kermit packet sent, or received whole with a valid check: its type
  // letter, sequence number and encoded data field.
  virtual void KermitPacket(TraceDirection direction, int type, int seq, std::string_view data) = 0;
  // A line read that is not a valid packet (no mark, bad length or check).
  virtual void KermitBadLine(std::string_view line) = 0;
  // Nothing complete arrived within timeout_ms while a packet was awaited.
  virtual void KermitSilence(int timeout_ms) = 0;
  // The user's Stop ended the wait for a packet.
  virtual void KermitStopped() = 0;

  // XModem: bytes written in one go, a byte read, nothing read within
  // timeout_ms, the wait for a byte ended by Stop.
  virtual void XModemSent(std::string_view bytes) = 0;
  virtual void XModemReceived(uint8_t byte) = 0;
  virtual void XModemSilence(int timeout_ms) = 0;
  virtual void XModemStopped() = 0;
};

}  // namespace dravik
