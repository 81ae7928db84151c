// The simulated HP48's Kermit server: answers I, S, R, G D, G F and C
// requests the way the real calculator does, and sends files and text
// replies itself (S, F or X, D..., Z, B), also for ARCHIVE to :IO:.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <optional>
#include <random>
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
  // After each transaction (its last acknowledgement, or the error that
  // answered it; not after an I, whose parameters are for the next request)
  // the server takes this long to go back to its idle state; what arrives
  // meanwhile is lost, as on the real calculator (which may then stay
  // silent). 0: nothing is lost.
  int idle_return_ms = 50;
  // Habits of the real calculator: its idle NAKs come at irregular times
  // (anywhere from a quarter to one and three quarters of the interval),
  // and it repeats its S, at short irregular intervals, until the first
  // acknowledgement arrives. Drawn from a generator seeded with habit_seed.
  bool irregular_idle_naks = true;
  bool repeat_send_init = true;
  uint32_t habit_seed = 1;
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
  // The error an upload under this name gets in answer to its F packet
  // (a tagged name, :1:UP); empty when the file is taken.
  virtual std::string UploadRefusal(const std::string& /*name*/) { return {}; }
  virtual StoreResult StoreUpload(const std::string& name, const Bytes& file) = 0;
  // Whether a file of that many bytes, still arriving, fits in free memory.
  virtual bool HasRoomFor(size_t /*bytes*/) { return true; }
  virtual RecallResult RecallForTransfer(const std::string& name) = 0;
  virtual std::string RunCommandLine(std::string_view text) = 0;
  // True when the last command line restored a backup: the calculator
  // restarts and answers nothing.
  virtual bool Restarted() { return false; }
  // True when the user stopped the server at the keyboard (a warm start):
  // nothing more is answered.
  virtual bool StoppedAtKeyboard() { return false; }
};

class KermitServer {
 public:
  enum class Event { kIdle, kServed, kFinish, kRestart };

  KermitServer(SimLine& line, ServerCalculator& calc, KermitOptions options);

  void SetOptions(const KermitOptions& options) { options_ = options; }

  // Requests that arrived while the server went back to idle, and were lost.
  uint64_t RequestsLostGoingIdle() const { return requests_lost_going_idle_; }

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
  // Loses what arrives until the server is back in its idle state.
  void FinishGoingIdle();
  // The wait for a request before the next idle NAK.
  std::chrono::milliseconds IdleWait();
  // The wait before the calculator repeats its S.
  std::chrono::milliseconds SendInitRepeatWait();
  void ReceiveUpload(const Packet& s);
  // Sends one packet and waits for its acknowledgement; the ACK's data in
  // *ack_data. False when the client gave up or stayed silent. With
  // repeat_until_ack the packet goes again after each short wait without
  // an answer (the habit with the S).
  bool Exchange(int chkt, int seq, char type, std::string_view data, std::string* ack_data,
                bool repeat_until_ack = false);

  SimLine& line_;
  ServerCalculator& calc_;
  KermitOptions options_;
  InitParams peer_;             // the client's parameters (its EOL, padding, TIME)
  std::string last_packet_;     // the last packet written, for retransmission
  std::optional<Packet> pending_request_;  // a request that cut a transaction short
  // The E that ended the last upload: a Z or B the client sends again (the
  // E was lost) gets it again, never an acknowledgement.
  std::optional<std::string> refusal_;
  std::chrono::steady_clock::time_point idle_at_{};  // back in the idle state then
  std::atomic<uint64_t> requests_lost_going_idle_{0};
  std::mt19937 habits_;
};

}  // namespace dravik::sim
