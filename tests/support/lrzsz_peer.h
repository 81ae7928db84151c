// An lrzsz program (sx, rx) as the far end of a link under test.
//
// The program runs in its own pseudo-terminal for stdin and writes to a pipe;
// a thread carries the bytes between that and the controlling side of the
// link's pseudo-terminal. lrzsz flushes its terminal when it exits, which on
// a pseudo-terminal drops its own last answer (the ACK of EOT) before anyone
// could read it; through the pipe that answer survives, as it does on a real
// serial line, where the flush first waits for the output to go out.
#pragma once

#include <sys/types.h>

#include <string>
#include <thread>
#include <vector>

namespace dravik::testing {

class LrzszPeer {
 public:
  // Starts argv (argv[0] looked up in PATH) in folder cwd; its line is
  // carried to and from link_master. lrzsz refuses absolute file names, so
  // name files relative to cwd.
  LrzszPeer(int link_master, const std::vector<std::string>& argv, const std::string& cwd);
  ~LrzszPeer();  // ends the program if it still runs
  LrzszPeer(const LrzszPeer&) = delete;
  LrzszPeer& operator=(const LrzszPeer&) = delete;

  bool started() const { return pid_ > 0; }
  // Waits at most timeout_ms for the program to end; its exit code, or -1.
  int Wait(int timeout_ms);

  // True when the program can be run (sx and rx are both in PATH).
  static bool Available();

 private:
  void Carry();
  int link_master_;
  int peer_master_ = -1;
  int from_peer_ = -1;      // read end of the program's stdout
  int stop_[2] = {-1, -1};  // wakes the carrier to end it
  pid_t pid_ = -1;
  int status_ = -1;
  std::thread carrier_;
};

}  // namespace dravik::testing
