// C-Kermit as a Kermit server on a pseudo-terminal, for interop tests and
// benchmarks. The server opens a pseudo-terminal of its own; a thread
// carries the bytes between it and the one the link under test opens
// (device()), so either side can be paused or watched.
#pragma once

#include <sys/types.h>

#include <string>
#include <thread>

#include "pty_pair.h"

namespace dravik::testing {

struct CKermitOptions {
  // More C-Kermit commands, run before it starts serving.
  std::string commands;
  // Rate of flipped, dropped or doubled bytes on the line, each way.
  double noise = 0.0;
  uint32_t seed = 1;
};

class CKermitServer {
 public:
  // Serves folder (files are read from and stored in it).
  explicit CKermitServer(const std::string& folder, const CKermitOptions& options = {});
  ~CKermitServer();  // stops the server if it still runs
  CKermitServer(const CKermitServer&) = delete;
  CKermitServer& operator=(const CKermitServer&) = delete;

  bool started() const { return pid_ > 0; }
  // The device the link opens.
  const std::string& device() const { return link_side_.device(); }
  pid_t pid() const { return pid_; }
  // Waits at most timeout_ms for the server to end; true if it did.
  bool Wait(int timeout_ms);
  // Freezes or thaws the server (a silent peer).
  void Pause(bool paused);

  // True when the kermit program can be run.
  static bool Available();

 private:
  void Carry();
  CKermitOptions options_;
  PtyPair link_side_;
  PtyPair server_side_;
  int stop_[2] = {-1, -1};
  pid_t pid_ = -1;
  bool exited_ = false;
  std::thread carrier_;
};

}  // namespace dravik::testing
