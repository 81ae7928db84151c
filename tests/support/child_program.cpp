#include "child_program.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <sstream>
#include <thread>

namespace dravik::testing {
namespace {

using Clock = std::chrono::steady_clock;

pid_t Spawn(const std::vector<std::string>& argv, const std::string& cwd, int out_fd) {
  std::vector<char*> args;
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  pid_t pid = ::fork();
  if (pid == 0) {
    int null_fd = ::open("/dev/null", O_RDONLY);
    ::dup2(null_fd, 0);
    ::dup2(out_fd, 1);
    ::dup2(out_fd, 2);
    ::setsid();  // no controlling terminal: a device opened later does not become one
    if (!cwd.empty() && ::chdir(cwd.c_str()) != 0) ::_exit(127);
    ::execvp(args[0], args.data());
    ::_exit(127);
  }
  return pid;
}

// Waits for the child; its exit code, or -1 after the deadline.
int WaitUntil(pid_t pid, Clock::time_point deadline) {
  int status = 0;
  while (Clock::now() < deadline) {
    pid_t r = ::waitpid(pid, &status, WNOHANG);
    if (r == pid) return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return -2;
}

}  // namespace

bool ProgramInPath(const std::string& program) {
  const char* path = std::getenv("PATH");
  std::stringstream dirs(path ? path : "/usr/bin:/bin");
  std::string dir;
  while (std::getline(dirs, dir, ':'))
    if (!dir.empty() && ::access((dir + "/" + program).c_str(), X_OK) == 0) return true;
  return false;
}

int RunProgram(const std::vector<std::string>& argv, const std::string& cwd, int timeout_ms,
               std::string* output) {
  int pipe_fds[2];
  if (::pipe2(pipe_fds, O_CLOEXEC) != 0) return -1;
  pid_t pid = Spawn(argv, cwd, pipe_fds[1]);
  ::close(pipe_fds[1]);
  if (pid < 0) {
    ::close(pipe_fds[0]);
    return -1;
  }
  auto deadline = Clock::now() + std::chrono::milliseconds(timeout_ms);
  char buf[4096];
  for (;;) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    if (left.count() <= 0) break;
    pollfd p{pipe_fds[0], POLLIN, 0};
    if (::poll(&p, 1, static_cast<int>(left.count())) <= 0) continue;
    ssize_t n = ::read(pipe_fds[0], buf, sizeof buf);
    if (n <= 0) break;
    if (output) output->append(buf, static_cast<size_t>(n));
  }
  ::close(pipe_fds[0]);
  int code = WaitUntil(pid, deadline + std::chrono::seconds(2));
  if (code == -2) {
    ::kill(pid, SIGKILL);
    ::waitpid(pid, nullptr, 0);
    return -1;
  }
  return code;
}

ChildProgram::ChildProgram(const std::vector<std::string>& argv, const std::string& cwd) {
  int pipe_fds[2];
  if (::pipe2(pipe_fds, O_CLOEXEC) != 0) return;
  pid_ = Spawn(argv, cwd, pipe_fds[1]);
  ::close(pipe_fds[1]);
  out_ = pipe_fds[0];
}

ChildProgram::~ChildProgram() {
  if (pid_ > 0) {
    ::kill(pid_, SIGKILL);
    ::waitpid(pid_, nullptr, 0);
  }
  if (out_ >= 0) ::close(out_);
}

std::string ChildProgram::ReadLine(int timeout_ms) {
  auto deadline = Clock::now() + std::chrono::milliseconds(timeout_ms);
  for (;;) {
    size_t nl = buffer_.find('\n');
    if (nl != std::string::npos) {
      std::string line = buffer_.substr(0, nl);
      buffer_.erase(0, nl + 1);
      return line;
    }
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    if (left.count() <= 0 || out_ < 0) return "";
    pollfd p{out_, POLLIN, 0};
    if (::poll(&p, 1, static_cast<int>(left.count())) <= 0) continue;
    char buf[512];
    ssize_t n = ::read(out_, buf, sizeof buf);
    if (n <= 0) return "";
    buffer_.append(buf, static_cast<size_t>(n));
  }
}

int ChildProgram::Signal(int sig, int timeout_ms) {
  if (pid_ <= 0) return -1;
  ::kill(pid_, sig);
  int code = WaitUntil(pid_, Clock::now() + std::chrono::milliseconds(timeout_ms));
  if (code == -2) return -1;
  pid_ = -1;
  return code;
}

}  // namespace dravik::testing
