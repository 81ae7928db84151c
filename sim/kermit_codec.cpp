#include "kermit_codec.h"

#include "link/block_check.h"

namespace dravik::sim {
namespace {

uint8_t Ctl(uint8_t c) { return static_cast<uint8_t>(c ^ 64); }

int CheckLength(int chkt) { return chkt >= 1 && chkt <= 3 ? chkt : 1; }

std::string Check(int chkt, std::string_view covered) {
  return BlockCheck(CheckLength(chkt), reinterpret_cast<const uint8_t*>(covered.data()),
                    covered.size());
}

// Appends the encoding of one byte.
void EncodeByte(uint8_t b, uint8_t qbin, std::string& out) {
  if (qbin != 0 && (b & 0x80)) {
    out += static_cast<char>(qbin);
    b &= 0x7F;
  }
  uint8_t low = b & 0x7F;
  if (low < 32 || low == 127) {
    out += '#';
    b = Ctl(b);
  } else if (low == '#' || (qbin != 0 && low == qbin)) {
    out += '#';
  }
  out += static_cast<char>(b);
}

}  // namespace

bool IsPrefixChar(uint8_t c) { return (c >= 33 && c <= 62) || (c >= 96 && c <= 126); }

InitParams ParseInitParams(std::string_view d) {
  InitParams p;
  auto field = [&](size_t i) -> int { return i < d.size() ? static_cast<uint8_t>(d[i]) : -1; };
  if (int f = field(0); f >= 0 && UnChar(f) >= 10) p.maxl = UnChar(f) > 94 ? 94 : UnChar(f);
  if (int f = field(1); f >= 0 && UnChar(f) > 0) p.time = UnChar(f);
  if (int f = field(2); f >= 0 && UnChar(f) > 0) p.npad = UnChar(f) > 94 ? 94 : UnChar(f);
  if (int f = field(3); f >= 0) p.padc = Ctl(static_cast<uint8_t>(f));
  if (int f = field(4); f >= 0 && UnChar(f) >= 2 && UnChar(f) <= 31) p.eol = UnChar(f);
  if (int f = field(5); f >= 0 && IsPrefixChar(f)) p.qctl = f;
  if (int f = field(6); f >= 0) p.qbin = f;
  if (int f = field(7); f >= '1' && f <= '3') p.chkt = f - '0';
  return p;
}

std::string CalculatorSendInit(int cksm, int time) {
  std::string s = "~";
  s += ToChar(time > 0 && time <= 94 ? time : 10);
  s += " @-#Y";
  s += static_cast<char>('0' + CheckLength(cksm));
  return s;
}

std::string InitAckParams(const InitParams& peer, int time) {
  // The real one answered TIME 7 with 13 and TIME 10 with 6.
  if (time <= 0 || time > 94) time = peer.time >= 10 ? 6 : 13;
  std::string s = "~";
  s += ToChar(time);
  s += " @-# ";
  s += static_cast<char>('0' + CheckLength(peer.chkt));
  return s;
}

std::string BuildPacket(int chkt, int seq, char type, std::string_view data,
                        const InitParams& peer) {
  std::string body;
  body += ToChar(static_cast<int>(data.size()) + CheckLength(chkt) + 2);
  body += ToChar(seq & 63);
  body += type;
  body += data;
  std::string packet(static_cast<size_t>(peer.npad), static_cast<char>(peer.padc));
  packet += static_cast<char>(kSoh);
  packet += body;
  packet += Check(chkt, body);
  packet += static_cast<char>(peer.eol);
  return packet;
}

FrameStatus ParseFrame(std::string_view body, int chkt, Packet* out) {
  int check_len = CheckLength(chkt);
  if (body.size() < 3) return FrameStatus::kMalformed;
  int len = UnChar(static_cast<uint8_t>(body[0]));
  int data_len = len - 2 - check_len;
  if (len < 3 || data_len < 0 || static_cast<size_t>(len) + 1 > body.size())
    return FrameStatus::kMalformed;
  int seq = UnChar(static_cast<uint8_t>(body[1]));
  if (seq < 0 || seq > 63) return FrameStatus::kMalformed;
  std::string_view covered = body.substr(0, 3 + static_cast<size_t>(data_len));
  std::string_view check = body.substr(covered.size(), static_cast<size_t>(check_len));
  if (Check(chkt, covered) != check) return FrameStatus::kBadCheck;
  out->type = body[2];
  out->seq = seq;
  out->data.assign(body.substr(3, static_cast<size_t>(data_len)));
  return FrameStatus::kOk;
}

std::string EncodeData(const std::vector<uint8_t>& data, size_t& pos, size_t max_len,
                       uint8_t qbin) {
  std::string out;
  std::string one;
  while (pos < data.size()) {
    one.clear();
    EncodeByte(data[pos], qbin, one);
    if (out.size() + one.size() > max_len) break;
    out += one;
    ++pos;
  }
  return out;
}

std::string EncodeText(std::string_view text, uint8_t qbin) {
  std::vector<uint8_t> bytes(text.begin(), text.end());
  size_t pos = 0;
  return EncodeData(bytes, pos, static_cast<size_t>(-1), qbin);
}

std::vector<uint8_t> DecodeData(std::string_view field, uint8_t qctl, uint8_t qbin) {
  std::vector<uint8_t> out;
  out.reserve(field.size());
  size_t i = 0;
  while (i < field.size()) {
    uint8_t b = static_cast<uint8_t>(field[i++]);
    bool high = false;
    if (qbin != 0 && b == qbin && i < field.size()) {
      high = true;
      b = static_cast<uint8_t>(field[i++]);
    }
    if (b == qctl && i < field.size()) {
      b = static_cast<uint8_t>(field[i++]);
      uint8_t low = b & 0x7F;
      if (low >= 63 && low <= 95) b = Ctl(b);
    }
    if (high) b |= 0x80;
    out.push_back(b);
  }
  return out;
}

std::string DecodeText(std::string_view field, uint8_t qctl, uint8_t qbin) {
  std::vector<uint8_t> bytes = DecodeData(field, qctl, qbin);
  return std::string(bytes.begin(), bytes.end());
}

}  // namespace dravik::sim
