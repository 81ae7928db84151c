#include "ckermit_server.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <string>

namespace dravik::testing {
namespace {

bool WriteAll(int fd, const char* data, size_t size) {
  while (size > 0) {
    ssize_t n = ::write(fd, data, size);
    if (n > 0) {
      data += n;
      size -= static_cast<size_t>(n);
    } else if (n < 0 && errno != EAGAIN && errno != EINTR) {
      return false;
    } else {
      pollfd p{fd, POLLOUT, 0};
      ::poll(&p, 1, 100);
    }
  }
  return true;
}

}  // namespace

bool CKermitServer::Available() { return ::access("/usr/bin/kermit", X_OK) == 0; }

CKermitServer::CKermitServer(const std::string& folder) {
  if (!Available() || ::pipe2(stop_, O_CLOEXEC) != 0) return;
  const std::string commands =
      "set carrier-watch off, set flow none, set file type binary, set transfer mode manual, "
      "set file names literal, set file collision rename, cd " + folder +
      ", enable host, enable dir, enable delete, server";
  const std::string device = server_side_.device();
  pid_ = ::fork();
  if (pid_ == 0) {
    int null = ::open("/dev/null", O_RDWR);
    ::dup2(null, 0);
    ::dup2(null, 1);
    ::dup2(null, 2);
    ::setsid();
    ::execl("/usr/bin/kermit", "kermit", "-Y", "-l", device.c_str(), "-C", commands.c_str(),
            static_cast<char*>(nullptr));
    ::_exit(127);
  }
  if (pid_ < 0) return;
  carrier_ = std::thread([this] { Carry(); });
}

CKermitServer::~CKermitServer() {
  if (pid_ > 0 && !exited_) {
    ::kill(pid_, SIGCONT);
    ::kill(pid_, SIGTERM);
    if (!Wait(3000)) {
      ::kill(pid_, SIGKILL);
      Wait(3000);
    }
  }
  if (stop_[1] >= 0) {
    char c = 0;
    (void)!::write(stop_[1], &c, 1);
  }
  if (carrier_.joinable()) carrier_.join();
  for (int fd : stop_)
    if (fd >= 0) ::close(fd);
}

bool CKermitServer::Wait(int timeout_ms) {
  if (pid_ <= 0) return false;
  if (exited_) return true;
  auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
  for (;;) {
    int status = 0;
    if (::waitpid(pid_, &status, WNOHANG) == pid_) {
      exited_ = true;
      return true;
    }
    if (std::chrono::steady_clock::now() >= deadline) return false;
    ::usleep(20000);
  }
}

void CKermitServer::Pause(bool paused) {
  if (pid_ > 0 && !exited_) ::kill(pid_, paused ? SIGSTOP : SIGCONT);
}

void CKermitServer::Carry() {
  const int a = link_side_.master();
  const int b = server_side_.master();
  char buf[4096];
  for (;;) {
    pollfd p[3] = {{a, POLLIN, 0}, {b, POLLIN, 0}, {stop_[0], POLLIN, 0}};
    if (::poll(p, 3, 200) < 0 && errno != EINTR) return;
    if (p[2].revents) return;
    bool idle = true;
    if (p[0].revents & POLLIN) {
      ssize_t n = ::read(a, buf, sizeof buf);
      if (n > 0) {
        WriteAll(b, buf, static_cast<size_t>(n));
        idle = false;
      }
    }
    if (p[1].revents & POLLIN) {
      ssize_t n = ::read(b, buf, sizeof buf);
      if (n > 0) {
        WriteAll(a, buf, static_cast<size_t>(n));
        idle = false;
      }
    }
    // A side whose device is closed reports a hang-up until it is opened
    // again; do not spin on it.
    if (idle && ((p[0].revents | p[1].revents) & (POLLHUP | POLLERR))) ::usleep(20000);
  }
}

}  // namespace dravik::testing
