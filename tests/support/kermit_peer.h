// The far end of a Kermit link for tests: reads and writes packets on the
// controlling side of a pseudo-terminal, so a test can script exactly what a
// server answers. Its packet code is written independently of the link's.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <thread>

namespace dravik::testing {

struct PeerPacket {
  int type = 0;
  int seq = -1;
  std::string data;     // as on the wire (still encoded)
  bool check_ok = false;
};

class KermitPeer {
 public:
  explicit KermitPeer(int fd) : fd_(fd) {}

  // Reads one packet (up to its CR) within timeout_ms and checks its block
  // check of the given type. False on time-out.
  bool Read(PeerPacket& out, int check_type, int timeout_ms = 10000);
  // Reads one packet and returns "<type> <seq>" ("timeout" if none, "badcheck"
  // if its check is wrong) - handy for comparing exchanges.
  std::string ReadSummary(int check_type, int timeout_ms = 10000);
  // Sends a packet with the given (already encoded) data.
  void Send(int type, int seq, std::string_view data, int check_type);
  // The bytes of such a packet.
  static std::string Build(int type, int seq, std::string_view data, int check_type);
  void SendRaw(std::string_view bytes);
  // Everything that arrives until nothing has come for quiet_ms.
  std::string ReadRaw(int quiet_ms);

 private:
  int fd_;
  std::string pending_;
};

// Runs a peer script on its own thread; the destructor waits for it.
class PeerThread {
 public:
  PeerThread(int fd, std::function<void(KermitPeer&)> script)
      : peer_(fd), thread_([this, script] { script(peer_); }) {}
  ~PeerThread() { Join(); }
  void Join() {
    if (thread_.joinable()) thread_.join();
  }

 private:
  KermitPeer peer_;
  std::thread thread_;
};

// Control-prefix encoding as a plain Kermit peer does it (no 8th-bit or
// repeat prefixes): for scripting data packets.
std::string KermitQuote(std::string_view raw);

}  // namespace dravik::testing
