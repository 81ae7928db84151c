// The simulated HP48's Kermit server: answers I, S, R, G D, G F and C
// requests the way the real calculator does, and sends files and text
// replies itself (S, F or X, D..., Z, B), also for ARCHIVE to :IO:.
#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <string_view>

#include "calculator.h"
#include "kermit_codec.h"
#include "sim_line.h"

namespace dravik::sim {

struct KermitOptions {
  // Seconds to wait for the client before a retransmission or NAK; 0 takes
  // the client's own TIME (10 when it named none). Short values speed up
  // soak tests on a noisy line.
  int time_override = 0;
  // The TIME the calculator asks the client to use in its S and ACKs; 0
  // answers as the real one (10 in its S, 13 or 6 in its ACKs).
  int advertised_time = 0;
  // Interval of the NAKs the idle server sends; 0 sends none.
  int idle_nak_seconds = 10;
  // Retransmissions (or NAKs) in a row before a transaction is given up.
  int max_retries = 10;
};

// What the server asks of the calculator's memory. Each call is made with
// the calculator not otherwise in use.
class ServerCalculator {
 public:
  virtual ~ServerCalculator() = default;
  virtual int ChecksumType() = 0;
  virtual std::string DirectoryListing() = 0;
  // The name an upload under this name will be stored as (".1" added when
  // the name exists).
  virtual std::string UploadName(const std::string& name) = 0;
  virtual StoreResult StoreUpload(const std::string& name, const Bytes& file) = 0;
  // Whether a file of that many bytes, still arriving, fits in free memory.
  virtual bool HasRoomFor(size_t /*bytes*/) { return true; }
  virtual RecallResult RecallForTransfer(const std::string& name) = 0;
  virtual std::string RunCommandLine(std::string_view text) = 0;
  // True when the last command line restored a backup: the calculator
  // restarts and answers nothing.
  virtual bool Restarted() { return false; }
};

class KermitServer {
 public:
  enum class Event { kIdle, kServed, kFinish, kRestart };

  KermitServer(SimLine& line, ServerCalculator& calc, KermitOptions options);

  void SetOptions(const KermitOptions& options) { options_ = options; }

  // Waits for one request (at most the idle-NAK interval) and serves it.
  // kFinish after G F: the server has acknowledged it and left. kRestart
  // after a command line that restored a backup: the server is gone.
  Event ServeOne();

  // The calculator's own Kermit send of one file or text: S, then F with
  // the name (header 'F') or an empty X (header 'X'), D..., Z, B. The
  // calculator offers checksum type cksm. Empty result on success, else
  // the calculator's error text.
  std::string Send(char header, const std::string& name, const Bytes& data, int cksm);

 private:
  enum class ReadStatus { kOk, kTimeout, kBad };

  ReadStatus ReadPacket(Packet& p, std::chrono::milliseconds timeout, int chkt);
  void SendPacket(int chkt, int seq, char type, std::string_view data);
  void SendError(int chkt, int seq, std::string_view text);
  std::chrono::milliseconds WaitTime() const;
  // A request that opens a new transaction while another is under way.
  static bool IsRequest(const Packet& p);

  Event Dispatch(const Packet& p);
  void ReceiveUpload(const Packet& s);
  // Sends one packet and waits for its acknowledgement; the ACK's data in
  // *ack_data. False when the client gave up or stayed silent.
  bool Exchange(int chkt, int seq, char type, std::string_view data, std::string* ack_data);

  SimLine& line_;
  ServerCalculator& calc_;
  KermitOptions options_;
  InitParams peer_;             // the client's parameters (its EOL, padding, TIME)
  std::string last_packet_;     // the last packet written, for retransmission
  std::optional<Packet> pending_request_;  // a request that cut a transaction short
};

}  // namespace dravik::sim
