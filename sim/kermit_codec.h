// Kermit packets as the simulated HP48 builds and reads them: framing,
// block checks, send-init parameters and the prefix encoding of data
// fields. Pure functions; the line and the protocol states live elsewhere.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace dravik::sim {

constexpr uint8_t kSoh = 1;

inline char ToChar(int x) { return static_cast<char>(x + 32); }
inline int UnChar(uint8_t c) { return static_cast<int>(c) - 32; }

// Send-init parameters of a peer as far as the calculator uses them.
// Absent fields keep the defaults of the Kermit protocol.
struct InitParams {
  int maxl = 80;        // largest packet the peer accepts (LEN value)
  int time = 0;         // seconds the peer wants us to wait; 0 = absent
  int npad = 0;         // pad characters before each packet
  uint8_t padc = 0;     // the pad character
  uint8_t eol = 13;     // byte after each packet
  uint8_t qctl = '#';   // the peer's control prefix
  uint8_t qbin = 0;     // the peer's QBIN field as received (0 = absent)
  int chkt = 1;         // block-check type asked for
};

InitParams ParseInitParams(std::string_view data);

// The calculator's own send-init: "~* @-#Y" + its checksum type. A nonzero
// time replaces its TIME of 10 seconds.
std::string CalculatorSendInit(int cksm, int time = 0);

// The calculator's acknowledgement of a peer's S or I parameters: MAXL 94,
// a TIME depending on the peer's (or the given nonzero time), QBIN blank,
// CHKT echoing the peer's.
std::string InitAckParams(const InitParams& peer, int time = 0);

// Whether a QBIN field names a usable 8th-bit prefix character.
bool IsPrefixChar(uint8_t c);

// A whole packet ready to write: pad characters, MARK, LEN, SEQ, TYPE,
// data (already encoded), block check of type chkt, EOL.
std::string BuildPacket(int chkt, int seq, char type, std::string_view data,
                        const InitParams& peer);

// A packet as read from the line.
struct Packet {
  char type = 0;
  int seq = 0;
  std::string data;  // still encoded
};

enum class FrameStatus { kOk, kBadCheck, kMalformed };

// Checks a frame: body holds LEN, SEQ, TYPE, data and check (the bytes
// after MARK, exactly unchar(LEN) + 1 of them). The check is verified with
// the given type.
FrameStatus ParseFrame(std::string_view body, int chkt, Packet* out);

// Encodes bytes from data[pos] on into at most max_len characters of a data
// field; returns the encoded text and advances pos past what it holds.
// A byte's encoding is never split. qbin 0 sends 8-bit bytes raw.
std::string EncodeData(const std::vector<uint8_t>& data, size_t& pos, size_t max_len,
                       uint8_t qbin);
std::string EncodeText(std::string_view text, uint8_t qbin = 0);

// Decodes a data field with the peer's control prefix (and 8th-bit prefix
// when qbin is nonzero). Any byte sequence decodes without fault: a prefix
// at the very end stands for itself.
std::vector<uint8_t> DecodeData(std::string_view field, uint8_t qctl, uint8_t qbin = 0);
std::string DecodeText(std::string_view field, uint8_t qctl, uint8_t qbin = 0);

}  // namespace dravik::sim
