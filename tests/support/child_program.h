// Runs an outside program (C-Kermit, dravik-sim) for a test, bounded in time.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace dravik::testing {

// True when the program is found in PATH.
bool ProgramInPath(const std::string& program);

// Runs argv in folder cwd with standard input from /dev/null and standard
// output and error collected into *output. Waits at most timeout_ms, then
// kills it. The exit code, or -1 when it had to be killed or did not start.
int RunProgram(const std::vector<std::string>& argv, const std::string& cwd, int timeout_ms,
               std::string* output);

// A program left running while the test talks to it; killed at the end.
class ChildProgram {
 public:
  ChildProgram(const std::vector<std::string>& argv, const std::string& cwd);
  ~ChildProgram();
  ChildProgram(const ChildProgram&) = delete;
  ChildProgram& operator=(const ChildProgram&) = delete;

  bool started() const { return pid_ > 0; }
  // One line of its standard output (without the line end); empty on
  // time-out or end of output.
  std::string ReadLine(int timeout_ms);
  // Sends a signal and waits at most timeout_ms for the exit; the exit
  // code, or -1.
  int Signal(int sig, int timeout_ms);

 private:
  pid_t pid_ = -1;
  int out_ = -1;
  std::string buffer_;
};

}  // namespace dravik::testing
