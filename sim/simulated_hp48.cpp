#include "simulated_hp48.h"

namespace dravik::sim {

SimulatedHp48::SimulatedHp48(Calculator calculator, SimOptions options)
    : options_(options),
      calculator_(std::move(calculator)),
      server_(line_, *this, options.kermit),
      xmodem_style_(Traits(calculator_.model()).xmodem),
      xmodem_timing_(XModemTiming::ForStyle(xmodem_style_).Scaled(options.xmodem_time_scale)) {
  line_.SetBaud(options.baud);
  line_.SetSpeedMustMatch(options.speed_must_match);
  line_.SetNoise(options.noise, options.seed);
}

SimulatedHp48::~SimulatedHp48() { Stop(); }

bool SimulatedHp48::Start(std::string* error) {
  if (!line_.ok()) {
    if (error) *error = line_.error();
    return false;
  }
  if (thread_.joinable()) return true;
  thread_ = std::thread([this] { Run(); });
  return true;
}

void SimulatedHp48::Stop() {
  stopping_ = true;
  line_.Stop();
  key_cv_.notify_all();
  if (thread_.joinable()) thread_.join();
}

void SimulatedHp48::PressEval() {
  std::lock_guard lock(key_mutex_);
  eval_pressed_ = true;
  key_cv_.notify_all();
}

void SimulatedHp48::TypeAndEnter(const std::string& line) {
  std::lock_guard lock(key_mutex_);
  typed_line_ = line;
  key_cv_.notify_all();
}

void SimulatedHp48::StartServer() {
  std::lock_guard lock(key_mutex_);
  server_typed_ = true;
  key_cv_.notify_all();
}

void SimulatedHp48::WarmStart() {
  std::lock_guard lock(calc_mutex_);
  calculator_.WarmStart();
  if (mode_ == Mode::kServer) warm_started_ = true;
}

void SimulatedHp48::Run() {
  while (!stopping_) {
    if (mode_ == Mode::kServer) {
      KermitServer::Event event = server_.ServeOne();
      if (event == KermitServer::Event::kFinish) {
        std::lock_guard lock(calc_mutex_);
        calculator_.LeaveServer();
      }
      if (event == KermitServer::Event::kFinish || event == KermitServer::Event::kRestart) {
        warm_started_ = false;
        std::lock_guard lock(key_mutex_);
        eval_pressed_ = false;
        server_typed_ = false;
        typed_line_.reset();
        mode_ = Mode::kKeyboard;
      }
    } else {
      WaitAtKeyboard();
    }
  }
}

// Out of server mode the calculator sits at its keyboard: EVAL runs stack
// level 1, a line typed and ENTER runs that line; SERVER (typed, or run by
// that program) brings the server back.
void SimulatedHp48::WaitAtKeyboard() {
  bool eval = false;
  std::optional<std::string> typed;
  // What the demo's user does: on a 49 type the name of the program the PC
  // stored (PCRUN) when there is one, else press EVAL.
  std::string runner;
  {
    std::lock_guard lock(calc_mutex_);
    runner = calculator_.KeyboardRunner();
  }
  {
    std::unique_lock lock(key_mutex_);
    auto auto_press = std::chrono::steady_clock::now() + options_.auto_eval_delay;
    while (!stopping_ && !eval_pressed_ && !server_typed_ && !typed_line_) {
      if (options_.auto_eval && restarted_) {
        // The demo's user types SERVER once the calculator has restarted.
        if (key_cv_.wait_until(lock, auto_press) == std::cv_status::timeout) {
          server_typed_ = true;
          break;
        }
      } else if (options_.auto_eval) {
        if (key_cv_.wait_until(lock, auto_press) == std::cv_status::timeout) {
          if (runner.empty()) {
            eval_pressed_ = true;
          } else {
            typed_line_ = runner;
          }
          break;
        }
      } else {
        key_cv_.wait(lock);
      }
    }
    if (stopping_) return;
    eval = eval_pressed_;
    eval_pressed_ = false;
    typed = std::move(typed_line_);
    typed_line_.reset();
    restarted_ = false;
    if (server_typed_) {
      server_typed_ = false;
      line_.DiscardInput();
      mode_ = Mode::kServer;
      return;
    }
  }
  if (!eval && !typed) return;
  enter_server_ = false;
  {
    std::lock_guard lock(calc_mutex_);
    if (typed) {
      calculator_.TypeAndEnter(*typed, this);
    } else {
      calculator_.PressEval(this);
    }
  }
  if (enter_server_) {
    line_.DiscardInput();
    mode_ = Mode::kServer;
  } else if (options_.auto_eval) {
    // The demo presses a key once per wait; afterwards only a control call
    // or SERVER gets the calculator going again.
    std::unique_lock lock(key_mutex_);
    key_cv_.wait(lock, [this] { return stopping_ || eval_pressed_ || server_typed_ || typed_line_; });
  }
}

std::string SimulatedHp48::XModemSend(const Bytes& data, const Bytes& fill) {
  return sim::XModemSend(line_, data, fill, xmodem_timing_, xmodem_style_,
                         [this] { ++xmodem_sends_waiting_; });
}

std::string SimulatedHp48::XModemReceive(Bytes& data) {
  return sim::XModemReceive(line_, data, xmodem_timing_, xmodem_style_);
}

std::string SimulatedHp48::KermitSendFile(const std::string& name, const Bytes& data) {
  int cksm;
  {
    std::lock_guard lock(calc_mutex_);
    cksm = calculator_.ChecksumType();
  }
  return server_.Send('F', name, data, cksm);
}

int SimulatedHp48::ChecksumType() {
  std::lock_guard lock(calc_mutex_);
  return calculator_.ChecksumType();
}

std::string SimulatedHp48::DirectoryListing() {
  std::lock_guard lock(calc_mutex_);
  return calculator_.DirectoryListing();
}

std::string SimulatedHp48::UploadName(const std::string& name) {
  std::lock_guard lock(calc_mutex_);
  return calculator_.UploadName(name);
}

std::string SimulatedHp48::UploadRefusal(const std::string& name) {
  std::lock_guard lock(calc_mutex_);
  return calculator_.UploadRefusal(name);
}

StoreResult SimulatedHp48::StoreUpload(const std::string& name, const Bytes& file) {
  std::lock_guard lock(calc_mutex_);
  return calculator_.StoreUpload(name, file);
}

bool SimulatedHp48::HasRoomFor(size_t bytes) {
  std::lock_guard lock(calc_mutex_);
  return calculator_.HasRoomFor(bytes);
}

RecallResult SimulatedHp48::RecallForTransfer(const std::string& name) {
  std::lock_guard lock(calc_mutex_);
  return calculator_.RecallForTransfer(name);
}

// Whether a command line names RESTORE as a word of its own.
static bool NamesRestore(std::string_view text) {
  size_t at = 0;
  while ((at = text.find("RESTORE", at)) != std::string_view::npos) {
    auto separator = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    bool starts = at == 0 || separator(text[at - 1]);
    size_t end = at + 7;
    if (starts && (end == text.size() || separator(text[end]))) return true;
    at = end;
  }
  return false;
}

std::string SimulatedHp48::RunCommandLine(std::string_view text) {
  std::lock_guard lock(calc_mutex_);
  std::string reply = calculator_.RunCommandLine(text, this);
  // A backup restored by the command line restarts the calculator, which
  // then answers nothing; a RESTORE that failed answers with its error.
  restarted_ = NamesRestore(text) && reply.rfind("Error:", 0) != 0;
  return reply;
}

}  // namespace dravik::sim
