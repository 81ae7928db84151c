#include "scripted_hp48.h"

#include <algorithm>
#include <chrono>

namespace dravik::testing {
namespace {

constexpr char kServerInit[] = "~* @-#Y1";   // MAXL 94, TIME 10, QCTL #, check 1
constexpr char kUploadAck[] = "~* @-# 1";

}  // namespace

std::string KermitUnquote(std::string_view data) {
  std::string out;
  for (size_t i = 0; i < data.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(data[i]);
    if (c == '#' && i + 1 < data.size()) {
      unsigned char n = static_cast<unsigned char>(data[++i]);
      unsigned char n7 = n & 0x7F;
      out += static_cast<char>((n7 >= 63 && n7 <= 95) ? (n ^ 64) : n);
    } else {
      out += static_cast<char>(c);
    }
  }
  return out;
}

ScriptedHp48::ScriptedHp48(int fd) : peer_(fd), thread_([this] { Run(); }) {}

ScriptedHp48::~ScriptedHp48() { Stop(); }

void ScriptedHp48::Stop() {
  stop_ = true;
  if (thread_.joinable()) thread_.join();
}

void ScriptedHp48::Record(const std::string& entry) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    log_.push_back(entry);
  }
  changed_.notify_all();
}

bool ScriptedHp48::WaitForLog(size_t count, int timeout_ms) const {
  std::unique_lock<std::mutex> lock(mutex_);
  return changed_.wait_for(lock, std::chrono::milliseconds(timeout_ms),
                           [&] { return log_.size() >= count; });
}

std::vector<std::string> ScriptedHp48::log() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return log_;
}

std::vector<std::string> ScriptedHp48::commands() const {
  std::vector<std::string> out;
  for (const std::string& e : log())
    if (e.rfind("C ", 0) == 0) out.push_back(e.substr(2));
  return out;
}

std::map<std::string, std::string> ScriptedHp48::uploads() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return uploads_;
}

bool ScriptedHp48::AwaitAck(int seq) {
  PeerPacket p;
  for (int tries = 0; tries < 50 && !stop_; ++tries) {
    if (!peer_.Read(p, 1, 200)) continue;
    if (p.check_ok && p.type == 'Y' && p.seq == seq) return true;
  }
  return false;
}

void ScriptedHp48::SendText(const std::string& text) {
  int seq = 0;
  peer_.Send('S', seq, kServerInit, 1);
  if (!AwaitAck(seq)) return;
  peer_.Send('X', ++seq, "", 1);
  if (!AwaitAck(seq)) return;
  const std::string quoted = KermitQuote(text);
  size_t at = 0;
  while (at < quoted.size()) {
    size_t n = std::min<size_t>(80, quoted.size() - at);
    if (quoted[at + n - 1] == '#' && at + n < quoted.size()) --n;  // keep a prefix pair whole
    if (n > 1 && quoted[at + n - 1] == '#' && quoted[at + n - 2] == '#') n -= 2;
    peer_.Send('D', ++seq % 64, std::string_view(quoted).substr(at, n), 1);
    if (!AwaitAck(seq % 64)) return;
    at += n;
  }
  peer_.Send('Z', ++seq % 64, "", 1);
  if (!AwaitAck(seq % 64)) return;
  peer_.Send('B', ++seq % 64, "", 1);
  AwaitAck(seq % 64);
}

void ScriptedHp48::ReceiveUpload() {
  if (refuse_uploads) {
    Record("upload refused");
    peer_.Send('E', 0, "Invalid Syntax", 1);
    return;
  }
  peer_.Send('Y', 0, kUploadAck, 1);
  std::string name, data;
  PeerPacket p;
  int idle = 0;
  while (!stop_ && idle < 50) {
    if (!peer_.Read(p, 1, 200)) {
      ++idle;
      continue;
    }
    idle = 0;
    if (!p.check_ok) continue;
    switch (p.type) {
      case 'F':
        name = KermitUnquote(p.data);
        peer_.Send('Y', p.seq, name, 1);
        break;
      case 'D':
        data += KermitUnquote(p.data);
        peer_.Send('Y', p.seq, "", 1);
        break;
      case 'Z': {
        std::lock_guard<std::mutex> lock(mutex_);
        uploads_[name] = data;
      }
        Record("upload " + name);
        data.clear();
        peer_.Send('Y', p.seq, "", 1);
        break;
      case 'B':
        peer_.Send('Y', p.seq, "", 1);
        return;
      default:
        break;
    }
  }
}

void ScriptedHp48::Run() {
  PeerPacket p;
  while (!stop_) {
    if (!peer_.Read(p, 1, 100) || !p.check_ok) continue;
    const std::string data = KermitUnquote(p.data);
    if (p.type == 'C') {
      Record("C " + data);
      SendText(on_command ? on_command(data) : std::string("Empty Stack"));
    } else if (p.type == 'G' && data == "D") {
      Record("G D");
      SendText(on_listing ? on_listing() : listing);
    } else if (p.type == 'G' && data == "F") {
      Record("G F");
      peer_.Send('Y', 0, "", 1);
    } else if (p.type == 'S') {
      ReceiveUpload();
    }
  }
}

}  // namespace dravik::testing
