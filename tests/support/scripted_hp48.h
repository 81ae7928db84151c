// A scripted calculator server for tests of the calculator operations: it
// answers host commands, directory requests, uploads and G F on the
// controlling side of a pseudo-terminal, and records what it was asked, in
// order ("C <text>", "G D", "G F", "upload <name>"). The answer to each
// command comes from a callback (default: "Empty Stack").
#pragma once

#include <atomic>
#include <condition_variable>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "kermit_peer.h"

namespace dravik::testing {

class ScriptedHp48 {
 public:
  explicit ScriptedHp48(int fd);
  ~ScriptedHp48();
  ScriptedHp48(const ScriptedHp48&) = delete;
  ScriptedHp48& operator=(const ScriptedHp48&) = delete;

  // Set before the link talks to it.
  std::function<std::string(const std::string& command)> on_command;
  std::string listing;            // reply to G D
  std::function<std::string()> on_listing;  // when set, the reply to G D
  bool refuse_uploads = false;    // answer an upload's S with an E packet

  std::vector<std::string> log() const;
  std::vector<std::string> commands() const;  // the C texts alone
  std::map<std::string, std::string> uploads() const;

  // Waits (at most timeout_ms) until the log holds count entries: for
  // packets the link sends without waiting for an answer.
  bool WaitForLog(size_t count, int timeout_ms = 10000) const;

  // Stops the server thread (also done by the destructor).
  void Stop();

 private:
  void Run();
  bool AwaitAck(int seq);
  void SendText(const std::string& text);
  void ReceiveUpload();
  void Record(const std::string& entry);

  KermitPeer peer_;
  std::atomic<bool> stop_{false};
  mutable std::mutex mutex_;
  mutable std::condition_variable changed_;
  std::vector<std::string> log_;
  std::map<std::string, std::string> uploads_;
  std::thread thread_;
};

// Undoes the control prefixing of a plain Kermit peer.
std::string KermitUnquote(std::string_view data);

}  // namespace dravik::testing
