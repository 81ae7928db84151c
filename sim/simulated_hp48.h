// A simulated HP48 on a pseudo-terminal: its memory (Calculator), its
// Kermit server, XModem and the EVAL key, running on a thread of its own.
// Clients open device() as they would a serial port. Tests start and stop
// it in-process, steer the line (speed, noise, silence, delay) and read or
// change the memory under its lock.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "calculator.h"
#include "kermit_server.h"
#include "sim_line.h"
#include "sim_xmodem.h"

namespace dravik::sim {

struct SimOptions {
  int baud = 0;          // line speed limit, 0 = none (9600 = 960 bytes/s each way)
  // A client at another line speed than baud exchanges garble with the
  // calculator, as on a real serial line.
  bool speed_must_match = false;
  double noise = 0.0;    // rate of flipped, dropped or doubled bytes
  uint32_t seed = 1;     // of the noise generator
  // Press a key by itself this long after the calculator starts waiting at
  // its keyboard (the demo): EVAL, or on a model whose user types the name
  // of a stored program, that name and ENTER (Calculator::KeyboardRunner);
  // not at all when false.
  bool auto_eval = false;
  std::chrono::milliseconds auto_eval_delay{1000};
  KermitOptions kermit;
  // Factor on the XModem waits (1 = the real calculator's).
  double xmodem_time_scale = 1.0;
};

class SimulatedHp48 : public CalculatorIo, private ServerCalculator {
 public:
  explicit SimulatedHp48(Calculator calculator = Calculator::Demo(), SimOptions options = {});
  ~SimulatedHp48() override;
  SimulatedHp48(const SimulatedHp48&) = delete;
  SimulatedHp48& operator=(const SimulatedHp48&) = delete;

  // Opens the pseudo-terminal and starts serving. False with a message
  // when no pseudo-terminal could be opened.
  bool Start(std::string* error = nullptr);
  // Ends the thread; the device disappears.
  void Stop();
  const std::string& device() const { return line_.device(); }

  // --- controls ---
  void PressEval();          // the EVAL key
  // A command line typed at the keyboard and ENTER ("PCRUN" on a 49).
  void TypeAndEnter(const std::string& line);
  void StartServer();        // SERVER typed on the keyboard
  // ON+C pressed together (a warm start, Calculator::WarmStart): a running
  // server stops at once and answers nothing until SERVER is typed.
  void WarmStart();
  bool InServer() const { return mode_ == Mode::kServer; }
  bool WaitingForEval() const { return mode_ == Mode::kKeyboard; }
  void SetSilent(bool silent) { line_.SetSilent(silent); }
  void SetReplyDelay(std::chrono::milliseconds delay) { line_.SetReplyDelay(delay); }
  void SetBaud(int baud) { line_.SetBaud(baud); }
  void SetNoise(double rate, uint32_t seed) { line_.SetNoise(rate, seed); }
  FaultCounts OutgoingFaults() const { return line_.OutgoingFaults(); }
  // Requests lost because they came while the server went back to idle.
  uint64_t RequestsLostGoingIdle() const { return server_.RequestsLostGoingIdle(); }
  FaultCounts IncomingFaults() const { return line_.IncomingFaults(); }
  // How many XSEND transfers have begun listening for a receiver's NAK.
  int XModemSendsWaiting() const { return xmodem_sends_waiting_; }

  // Runs f with the calculator, which is not in use meanwhile.
  template <typename F>
  auto WithCalculator(F&& f) {
    std::lock_guard lock(calc_mutex_);
    return f(calculator_);
  }

  // --- CalculatorIo: what a running program does on the line ---
  std::string XModemSend(const Bytes& data, const Bytes& fill) override;
  std::string XModemReceive(Bytes& data) override;
  std::string KermitSendFile(const std::string& name, const Bytes& data) override;
  void EnterServer() override { enter_server_ = true; }

 private:
  enum class Mode { kServer, kKeyboard };

  void Run();
  void WaitAtKeyboard();

  // ServerCalculator
  int ChecksumType() override;
  std::string DirectoryListing() override;
  std::string UploadName(const std::string& name) override;
  std::string UploadRefusal(const std::string& name) override;
  StoreResult StoreUpload(const std::string& name, const Bytes& file) override;
  bool HasRoomFor(size_t bytes) override;
  RecallResult RecallForTransfer(const std::string& name) override;
  std::string RunCommandLine(std::string_view text) override;
  bool Restarted() override { return restarted_; }
  bool StoppedAtKeyboard() override { return warm_started_; }

  SimOptions options_;
  SimLine line_;
  std::recursive_mutex calc_mutex_;
  Calculator calculator_;
  KermitServer server_;
  XModemStyle xmodem_style_;
  XModemTiming xmodem_timing_;

  std::atomic<Mode> mode_{Mode::kServer};
  std::atomic<bool> enter_server_{false};
  std::mutex key_mutex_;
  std::condition_variable key_cv_;
  bool eval_pressed_ = false;
  std::optional<std::string> typed_line_;
  bool server_typed_ = false;
  bool restarted_ = false;  // the last command line restored a backup
  std::atomic<bool> warm_started_{false};  // the server is to stop for the keyboard
  std::atomic<int> xmodem_sends_waiting_{0};
  std::atomic<bool> stopping_{false};
  std::thread thread_;
};

}  // namespace dravik::sim
