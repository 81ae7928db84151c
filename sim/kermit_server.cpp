#include "kermit_server.h"

#include <algorithm>

namespace dravik::sim {
namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

// Once a packet has begun, each further byte must follow within this time.
constexpr milliseconds kByteWait(2000);
constexpr const char* kInvalidServerCmd = "Invalid Server Cmd.";

int Next(int seq) { return (seq + 1) & 63; }
int Previous(int seq) { return (seq + 63) & 63; }

}  // namespace

KermitServer::KermitServer(SimLine& line, ServerCalculator& calc, KermitOptions options)
    : line_(line), calc_(calc), options_(options), habits_(options.habit_seed) {}

milliseconds KermitServer::IdleWait() {
  const int seconds = options_.idle_nak_seconds;
  if (seconds <= 0) return milliseconds(1000);
  if (!options_.irregular_idle_naks) return milliseconds(seconds * 1000);
  std::uniform_int_distribution<int> spread(seconds * 250, seconds * 1750);
  return milliseconds(spread(habits_));
}

milliseconds KermitServer::SendInitRepeatWait() {
  // Sometimes at once, mostly a little later: the client sees the S twice
  // now and then, or not at all.
  std::uniform_int_distribution<int> spread(0, 40);
  return milliseconds(spread(habits_));
}

void KermitServer::FinishGoingIdle() {
  std::string lost;
  uint8_t b = 0;
  for (auto now = Clock::now(); now < idle_at_ && !line_.stopped(); now = Clock::now()) {
    if (line_.ReadByte(b, std::chrono::duration_cast<milliseconds>(idle_at_ - now) + milliseconds(1)))
      lost += static_cast<char>(b);
  }
  // Late duplicates of the transaction just ended do no harm; a request
  // lost here is what leaves a real calculator silent.
  for (size_t at = lost.find(static_cast<char>(kSoh)); at != std::string::npos && at + 3 < lost.size();
       at = lost.find(static_cast<char>(kSoh), at + 1)) {
    Packet start;
    start.seq = UnChar(static_cast<uint8_t>(lost[at + 2]));
    start.type = lost[at + 3];
    if (IsRequest(start)) ++requests_lost_going_idle_;
  }
}

milliseconds KermitServer::WaitTime() const {
  int seconds = options_.time_override > 0 ? options_.time_override
                : peer_.time > 0           ? peer_.time
                                           : 10;
  return milliseconds(seconds * 1000);
}

bool KermitServer::IsRequest(const Packet& p) {
  return p.seq == 0 && (p.type == 'S' || p.type == 'I' || p.type == 'R' || p.type == 'G' ||
                        p.type == 'C');
}

KermitServer::ReadStatus KermitServer::ReadPacket(Packet& p, milliseconds timeout, int chkt) {
  auto deadline = Clock::now() + timeout;
  uint8_t b = 0;
  for (;;) {
    auto left = std::chrono::duration_cast<milliseconds>(deadline - Clock::now());
    if (left.count() <= 0 || !line_.ReadByte(b, left)) return ReadStatus::kTimeout;
    if (b == kSoh) break;
  }
  std::string body;
  size_t want = 0;
  for (;;) {
    if (!line_.ReadByte(b, kByteWait)) return ReadStatus::kBad;  // cut short
    if (b == kSoh) {  // a new start: what came before was a fragment
      body.clear();
      continue;
    }
    // A packet never holds a raw line end: it was cut or damaged.
    if (b == '\r' || b == '\n') return ReadStatus::kBad;
    body += static_cast<char>(b);
    if (body.size() == 1) {
      int len = UnChar(b);
      if (len < 3 || len > 94) return ReadStatus::kBad;
      want = static_cast<size_t>(len) + 1;
    } else if (body.size() == want) {
      break;
    }
  }
  if (ParseFrame(body, chkt, &p) == FrameStatus::kOk) return ReadStatus::kOk;
  // A request always comes with check type 1, even in the middle of a
  // transfer that uses another type.
  if (chkt != 1 && ParseFrame(body, 1, &p) == FrameStatus::kOk && IsRequest(p))
    return ReadStatus::kOk;
  return ReadStatus::kBad;
}

void KermitServer::SendPacket(int chkt, int seq, char type, std::string_view data) {
  last_packet_ = BuildPacket(chkt, seq, type, data, peer_);
  line_.Write(last_packet_);
}

void KermitServer::SendError(int chkt, int seq, std::string_view text) {
  SendPacket(chkt, seq, 'E', EncodeText(text));
}

KermitServer::Event KermitServer::ServeOne() {
  if (calc_.StoppedAtKeyboard()) return Event::kRestart;
  if (pending_request_) {
    Packet p = std::move(*pending_request_);
    pending_request_.reset();
    return Dispatch(p);
  }
  FinishGoingIdle();
  Packet p;
  ReadStatus st = ReadPacket(p, IdleWait(), 1);
  if (calc_.StoppedAtKeyboard()) return Event::kRestart;  // what came is not answered
  if (st == ReadStatus::kTimeout) {
    if (options_.idle_nak_seconds > 0 && !line_.stopped()) SendPacket(1, 0, 'N', "");
    return Event::kIdle;
  }
  if (st == ReadStatus::kBad) {
    SendPacket(1, 0, 'N', "");
    return Event::kIdle;
  }
  const Event event = Dispatch(p);
  // The parameters an I exchanged belong to the transaction that follows at
  // once (C-Kermit sends its G a few milliseconds after the ACK): the real
  // calculator answers that, and loses input only after a whole exchange.
  if (event == Event::kServed && p.type != 'I')
    idle_at_ = Clock::now() + milliseconds(std::max(options_.idle_return_ms, 0));
  return event;
}

KermitServer::Event KermitServer::Dispatch(const Packet& p) {
  if (IsRequest(p)) refusal_.reset();
  switch (p.type) {
    case 'I':
      peer_ = ParseInitParams(p.data);
      SendPacket(1, p.seq, 'Y', InitAckParams(peer_, options_.advertised_time));
      return Event::kServed;
    case 'S':
      ReceiveUpload(p);
      return Event::kServed;
    case 'R': {
      std::string name = DecodeText(p.data, '#');
      int cksm = calc_.ChecksumType();
      RecallResult r = calc_.RecallForTransfer(name);
      if (!r.ok)
        SendError(1, 0, r.error.empty() ? "Undefined Name" : r.error);
      else
        Send('F', name, r.file, cksm);
      return Event::kServed;
    }
    case 'G': {
      std::string g = DecodeText(p.data, '#');
      if (!g.empty() && g[0] == 'D') {
        int cksm = calc_.ChecksumType();
        std::string listing = calc_.DirectoryListing();
        Send('X', "", Bytes(listing.begin(), listing.end()), cksm);
        return Event::kServed;
      }
      if (!g.empty() && g[0] == 'F') {
        SendPacket(1, p.seq, 'Y', "");
        return Event::kFinish;
      }
      SendError(1, 0, kInvalidServerCmd);
      return Event::kServed;
    }
    case 'C': {
      // The checksum type offered is the one in force when the request
      // arrives, so the reply to "3 CKSM" still shows the old one.
      int cksm = calc_.ChecksumType();
      std::string reply = calc_.RunCommandLine(DecodeText(p.data, '#'));
      if (calc_.Restarted()) return Event::kRestart;
      Send('X', "", Bytes(reply.begin(), reply.end()), cksm);
      return Event::kServed;
    }
    case 'Y':
    case 'N':
    case 'E':
      return Event::kIdle;  // late answers to a finished transaction
    case 'B':
    case 'Z':
      if (refusal_) {
        // The client did not get the E that refused its upload.
        line_.Write(*refusal_);
        return Event::kServed;
      }
      // The client repeats the end of a transaction whose last ACK it lost.
      SendPacket(1, p.seq, 'Y', "");
      return Event::kServed;
    default:
      SendError(1, 0, kInvalidServerCmd);
      return Event::kServed;
  }
}

void KermitServer::ReceiveUpload(const Packet& s) {
  peer_ = ParseInitParams(s.data);
  const int chkt = peer_.chkt;
  SendPacket(1, 0, 'Y', InitAckParams(peer_, options_.advertised_time));  // S and its ACK use type 1
  int expected = 1;
  int retries = 0;
  bool in_file = false;
  std::string name;
  Bytes file;
  for (;;) {
    Packet p;
    ReadStatus st = ReadPacket(p, WaitTime(), chkt);
    if (line_.stopped()) return;
    if (st == ReadStatus::kOk && p.seq == Previous(expected) &&
        (p.type != 'S' || expected == 1)) {
      line_.Write(last_packet_);  // our ACK was lost: repeat it
      if (++retries > options_.max_retries) return;
      continue;
    }
    if (st != ReadStatus::kOk || p.seq != expected) {
      if (st == ReadStatus::kOk && IsRequest(p)) {
        pending_request_ = p;  // the client has given up on this upload
        return;
      }
      if (++retries > options_.max_retries) return;
      SendPacket(chkt, expected, 'N', "");
      continue;
    }
    retries = 0;
    switch (p.type) {
      case 'F':
        name = DecodeText(p.data, peer_.qctl);
        if (std::string refusal = calc_.UploadRefusal(name); !refusal.empty()) {
          // The real one numbers this E as the packet after the F.
          SendError(chkt, Next(expected), refusal);
          refusal_ = last_packet_;
          return;
        }
        file.clear();
        in_file = true;
        SendPacket(chkt, expected, 'Y', EncodeText(calc_.UploadName(name)));
        break;
      case 'D': {
        Bytes part = DecodeData(p.data, peer_.qctl);
        if (in_file) file.insert(file.end(), part.begin(), part.end());
        if (!calc_.HasRoomFor(file.size())) {  // the calculator gives up at once
          SendError(chkt, expected, "Insufficient Memory");
          return;
        }
        SendPacket(chkt, expected, 'Y', "");
        break;
      }
      case 'Z':
        if (in_file && DecodeText(p.data, peer_.qctl) != "D") {
          StoreResult r = calc_.StoreUpload(name, file);
          if (!r.ok) {
            SendError(chkt, expected, r.error.empty() ? "Invalid Syntax" : r.error);
            refusal_ = last_packet_;
            return;
          }
        }
        in_file = false;
        SendPacket(chkt, expected, 'Y', "");
        break;
      case 'B':
        SendPacket(chkt, expected, 'Y', "");
        return;
      case 'E':
        return;
      case 'A':  // file attributes: nothing to keep
        SendPacket(chkt, expected, 'Y', "");
        break;
      default:
        SendError(chkt, expected, kInvalidServerCmd);
        return;
    }
    expected = Next(expected);
  }
}

bool KermitServer::Exchange(int chkt, int seq, char type, std::string_view data,
                            std::string* ack_data, bool repeat_until_ack) {
  SendPacket(chkt, seq, type, data);
  int retries = 0;
  const auto stop_repeating = Clock::now() + WaitTime();
  for (;;) {
    Packet p;
    const bool repeating = repeat_until_ack && Clock::now() < stop_repeating;
    ReadStatus st = ReadPacket(p, repeating ? SendInitRepeatWait() : WaitTime(), chkt);
    if (line_.stopped()) return false;
    if (repeating && st == ReadStatus::kTimeout) {
      line_.Write(last_packet_);
      continue;
    }
    if (st == ReadStatus::kOk) {
      if (p.type == 'Y' && p.seq == seq) {
        *ack_data = p.data;
        return true;
      }
      if (p.type == 'N' && p.seq == Next(seq)) {
        ack_data->clear();
        return true;
      }
      if (p.type == 'E') return false;
      if (seq != 0 && IsRequest(p)) {
        pending_request_ = p;  // the client has moved on to a new request
        return false;
      }
    }
    if (++retries > options_.max_retries) return false;
    line_.Write(last_packet_);
  }
}

std::string KermitServer::Send(char header, const std::string& name, const Bytes& data,
                               int cksm) {
  if (cksm < 1 || cksm > 3) cksm = 1;
  std::string ack;
  if (!Exchange(1, 0, 'S', CalculatorSendInit(cksm, options_.advertised_time), &ack,
                options_.repeat_send_init))
    return "Timeout";
  peer_ = ParseInitParams(ack);
  // The offered type is used only when the client names the same one.
  const int chkt = peer_.chkt == cksm ? cksm : 1;
  const uint8_t qbin = IsPrefixChar(peer_.qbin) ? peer_.qbin : 0;
  const size_t max_data = static_cast<size_t>(peer_.maxl - 2 - chkt);
  int seq = 1;
  std::string head;
  if (header == 'F') {
    Bytes name_bytes(name.begin(), name.end());
    size_t pos = 0;
    head = EncodeData(name_bytes, pos, max_data, qbin);
  }
  if (!Exchange(chkt, seq, header, head, &ack)) return "Timeout";
  seq = Next(seq);
  size_t pos = 0;
  bool discard = false;
  // At least one D packet: nothing to send (an HP48SX's listing of an
  // empty directory) goes as a D packet with no data.
  do {
    std::string field = EncodeData(data, pos, max_data, qbin);
    if (!Exchange(chkt, seq, 'D', field, &ack)) return "Timeout";
    seq = Next(seq);
    if (!ack.empty() && (ack[0] == 'X' || ack[0] == 'Z')) {  // the client cancels
      discard = true;
      break;
    }
  } while (pos < data.size());
  if (!Exchange(chkt, seq, 'Z', discard ? "D" : "", &ack)) return "Timeout";
  seq = Next(seq);
  if (!Exchange(chkt, seq, 'B', "", &ack)) return "Timeout";
  return "";
}

}  // namespace dravik::sim
