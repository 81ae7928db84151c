#include "kermit_peer.h"

#include <poll.h>
#include <unistd.h>

#include <chrono>

#include "link/block_check.h"

namespace dravik::testing {
namespace {
long long NowMs() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}
}  // namespace

std::string KermitPeer::Build(int type, int seq, std::string_view data, int check_type) {
  std::string p;
  p += '\x01';
  p += static_cast<char>(32 + data.size() + check_type + 2);
  p += static_cast<char>(32 + seq);
  p += static_cast<char>(type);
  p.append(data);
  p += BlockCheck(check_type, reinterpret_cast<const uint8_t*>(p.data()) + 1, p.size() - 1);
  p += '\r';
  return p;
}

void KermitPeer::Send(int type, int seq, std::string_view data, int check_type) {
  SendRaw(Build(type, seq, data, check_type));
}

void KermitPeer::SendRaw(std::string_view bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    ssize_t n = ::write(fd_, bytes.data() + done, bytes.size() - done);
    if (n > 0) {
      done += static_cast<size_t>(n);
    } else {
      pollfd p{fd_, POLLOUT, 0};
      ::poll(&p, 1, 100);
    }
  }
}

bool KermitPeer::Read(PeerPacket& out, int check_type, int timeout_ms) {
  const long long deadline = NowMs() + timeout_ms;
  for (;;) {
    size_t cr = pending_.find('\r');
    if (cr != std::string::npos) {
      std::string line = pending_.substr(0, cr);
      pending_.erase(0, cr + 1);
      size_t mark = line.find('\x01');
      if (mark == std::string::npos || line.size() - mark < 5) continue;
      line.erase(0, mark);
      int len = static_cast<unsigned char>(line[1]) - 32;
      int data_len = len - check_type - 2;
      if (data_len < 0 || static_cast<int>(line.size()) < 4 + data_len + check_type) continue;
      out.seq = static_cast<unsigned char>(line[2]) - 32;
      out.type = static_cast<unsigned char>(line[3]);
      out.data = line.substr(4, static_cast<size_t>(data_len));
      std::string check = BlockCheck(check_type, reinterpret_cast<const uint8_t*>(line.data()) + 1,
                                     static_cast<size_t>(3 + data_len));
      out.check_ok = line.compare(4 + static_cast<size_t>(data_len), check.size(), check) == 0;
      return true;
    }
    long long left = deadline - NowMs();
    if (left <= 0) return false;
    pollfd p{fd_, POLLIN, 0};
    if (::poll(&p, 1, static_cast<int>(left)) <= 0) continue;
    char buf[512];
    ssize_t n = ::read(fd_, buf, sizeof buf);
    if (n > 0) pending_.append(buf, static_cast<size_t>(n));
    else if (n == 0 || (p.revents & POLLHUP)) ::usleep(20000);
  }
}

std::string KermitPeer::ReadSummary(int check_type, int timeout_ms) {
  PeerPacket p;
  if (!Read(p, check_type, timeout_ms)) return "timeout";
  if (!p.check_ok) return "badcheck";
  return std::string(1, static_cast<char>(p.type)) + " " + std::to_string(p.seq);
}

std::string KermitPeer::ReadRaw(int quiet_ms) {
  std::string out = pending_;
  pending_.clear();
  for (;;) {
    pollfd p{fd_, POLLIN, 0};
    if (::poll(&p, 1, quiet_ms) <= 0) return out;
    char buf[512];
    ssize_t n = ::read(fd_, buf, sizeof buf);
    if (n <= 0) return out;
    out.append(buf, static_cast<size_t>(n));
  }
}

std::string KermitQuote(std::string_view raw) {
  std::string out;
  for (unsigned char c : raw) {
    unsigned char c7 = c & 0x7F;
    if (c7 < 32 || c7 == 127) {
      out += '#';
      out += static_cast<char>(c ^ 64);
    } else {
      if (c7 == '#') out += '#';
      out += static_cast<char>(c);
    }
  }
  return out;
}

}  // namespace dravik::testing
