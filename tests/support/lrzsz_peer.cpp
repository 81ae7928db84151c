#include "lrzsz_peer.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <sstream>

namespace dravik::testing {
namespace {

bool InPath(const std::string& program) {
  const char* path = std::getenv("PATH");
  std::stringstream dirs(path ? path : "/usr/bin:/bin");
  std::string dir;
  while (std::getline(dirs, dir, ':'))
    if (!dir.empty() && ::access((dir + "/" + program).c_str(), X_OK) == 0) return true;
  return false;
}

void WriteAll(int fd, const char* data, ssize_t size) {
  while (size > 0) {
    ssize_t n = ::write(fd, data, static_cast<size_t>(size));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return;
    data += n;
    size -= n;
  }
}

}  // namespace

bool LrzszPeer::Available() { return InPath("sx") && InPath("rx"); }

LrzszPeer::LrzszPeer(int link_master, const std::vector<std::string>& argv,
                     const std::string& cwd)
    : link_master_(link_master) {
  int peer_slave = -1;
  termios tio{};
  ::cfmakeraw(&tio);
  if (::openpty(&peer_master_, &peer_slave, nullptr, &tio, nullptr) != 0) return;
  int out[2];
  if (::pipe2(out, O_CLOEXEC) != 0 || ::pipe2(stop_, O_CLOEXEC) != 0) {
    ::close(peer_slave);
    return;
  }
  ::fcntl(peer_master_, F_SETFD, FD_CLOEXEC);
  std::vector<char*> args;
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  pid_ = ::fork();
  if (pid_ == 0) {
    ::dup2(peer_slave, 0);
    ::dup2(out[1], 1);
    int null = ::open("/dev/null", O_WRONLY);
    if (null >= 0) ::dup2(null, 2);
    if (::chdir(cwd.c_str()) != 0) ::_exit(126);
    ::execvp(args[0], args.data());
    ::_exit(127);
  }
  ::close(peer_slave);
  ::close(out[1]);
  from_peer_ = out[0];
  if (pid_ > 0) carrier_ = std::thread([this] { Carry(); });
}

void LrzszPeer::Carry() {
  char buffer[4096];
  for (;;) {
    pollfd p[3] = {{link_master_, POLLIN, 0}, {from_peer_, POLLIN, 0}, {stop_[0], POLLIN, 0}};
    int r = ::poll(p, 3, 1000);
    if (r < 0 && errno != EINTR) return;
    if (p[2].revents) {
      // The program has ended by now: what it wrote last (the ACK of an EOT)
      // still goes to the link before the carrier stops.
      ::fcntl(from_peer_, F_SETFL, O_NONBLOCK);
      ssize_t n;
      while ((n = ::read(from_peer_, buffer, sizeof buffer)) > 0) WriteAll(link_master_, buffer, n);
      return;
    }
    if (p[1].revents) {
      ssize_t n = ::read(from_peer_, buffer, sizeof buffer);
      if (n > 0) WriteAll(link_master_, buffer, n);
      else if (n == 0 || errno != EINTR) return;  // the program has ended
    }
    if (p[0].revents & POLLIN) {
      ssize_t n = ::read(link_master_, buffer, sizeof buffer);
      if (n > 0) WriteAll(peer_master_, buffer, n);
    } else if (p[0].revents) {
      ::usleep(10000);  // nobody holds the link's device just now
    }
  }
}

int LrzszPeer::Wait(int timeout_ms) {
  if (pid_ <= 0) return -1;
  for (int waited = 0;; waited += 20) {
    int status = 0;
    pid_t r = ::waitpid(pid_, &status, WNOHANG);
    if (r == pid_) {
      pid_ = -1;
      status_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
      return status_;
    }
    if (r < 0 || waited >= timeout_ms) return -1;
    ::usleep(20000);
  }
}

LrzszPeer::~LrzszPeer() {
  if (pid_ > 0) {
    ::kill(pid_, SIGTERM);
    if (Wait(5000) < 0 && pid_ > 0) {
      ::kill(pid_, SIGKILL);
      ::waitpid(pid_, nullptr, 0);
    }
  }
  if (stop_[1] >= 0) WriteAll(stop_[1], "x", 1);
  if (carrier_.joinable()) carrier_.join();
  for (int fd : {peer_master_, from_peer_, stop_[0], stop_[1]})
    if (fd >= 0) ::close(fd);
}

}  // namespace dravik::testing
