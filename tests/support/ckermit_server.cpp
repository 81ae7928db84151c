#include "ckermit_server.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <vector>

#include "line_faults.h"

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

CKermitServer::CKermitServer(const std::string& folder, const CKermitOptions& options)
    : options_(options) {
  if (!Available() || ::pipe2(stop_, O_CLOEXEC) != 0) return;
  std::string commands =
      "set carrier-watch off, set flow none, set file type binary, set transfer mode manual, "
      "set file names literal, set file collision rename, cd " + folder + ", ";
  if (!options.commands.empty()) commands += options.commands + ", ";
  commands += "enable host, enable dir, enable delete, server";
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
  // Each direction has its own noise, as a real line's two wires do.
  sim::LineFaults to_server(options_.noise, options_.seed);
  sim::LineFaults to_link(options_.noise, options_.seed * 7919u + 1u);
  char buf[4096];
  std::vector<uint8_t> passed;
  auto forward = [&](int from, int to, sim::LineFaults& faults) {
    ssize_t n = ::read(from, buf, sizeof buf);
    if (n <= 0) return false;
    if (options_.noise <= 0) {
      WriteAll(to, buf, static_cast<size_t>(n));
      return true;
    }
    passed.clear();
    for (ssize_t i = 0; i < n; ++i) faults.Pass(static_cast<uint8_t>(buf[i]), passed);
    WriteAll(to, reinterpret_cast<const char*>(passed.data()), passed.size());
    return true;
  };
  for (;;) {
    pollfd p[3] = {{a, POLLIN, 0}, {b, POLLIN, 0}, {stop_[0], POLLIN, 0}};
    if (::poll(p, 3, 200) < 0 && errno != EINTR) return;
    if (p[2].revents) return;
    bool idle = true;
    if ((p[0].revents & POLLIN) && forward(a, b, to_server)) idle = false;
    if ((p[1].revents & POLLIN) && forward(b, a, to_link)) idle = false;
    // A side whose device is closed reports a hang-up until it is opened
    // again; do not spin on it.
    if (idle && ((p[0].revents | p[1].revents) & (POLLHUP | POLLERR))) ::usleep(20000);
  }
}

}  // namespace dravik::testing
