#include "sim_line.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <thread>
#include <vector>

#include "wrong_speed.h"

namespace dravik::sim {
namespace {

using Clock = std::chrono::steady_clock;
constexpr auto kSlice = std::chrono::milliseconds(50);

int BaudOf(speed_t speed) {
  switch (speed) {
    case B300: return 300;
    case B600: return 600;
    case B1200: return 1200;
    case B2400: return 2400;
    case B4800: return 4800;
    case B9600: return 9600;
    case B19200: return 19200;
    case B38400: return 38400;
    case B57600: return 57600;
    case B115200: return 115200;
    default: return 0;
  }
}

}  // namespace

SimLine::SimLine() {
  char name[256] = {};
  termios tio{};
  ::cfmakeraw(&tio);
  if (::openpty(&master_, &slave_, name, &tio, nullptr) != 0) {
    error_ = std::string("cannot open a pseudo-terminal: ") + std::strerror(errno);
    master_ = slave_ = -1;
    return;
  }
  ::fcntl(master_, F_SETFD, FD_CLOEXEC);
  ::fcntl(slave_, F_SETFD, FD_CLOEXEC);
  ::fcntl(master_, F_SETFL, ::fcntl(master_, F_GETFL) | O_NONBLOCK);
  device_ = name;
}

SimLine::~SimLine() {
  if (slave_ >= 0) ::close(slave_);
  if (master_ >= 0) ::close(master_);
}

void SimLine::SetBaud(int baud) { baud_ = baud < 0 ? 0 : baud; }

int SimLine::MismatchedClientBaud() const {
  if (!speed_must_match_ || baud_ <= 0) return 0;
  termios tio{};
  if (::tcgetattr(slave_, &tio) != 0) return 0;
  const int client = BaudOf(::cfgetospeed(&tio));
  return client != 0 && client != baud_ ? client : 0;
}

void SimLine::SetNoise(double rate, uint32_t seed) {
  std::lock_guard lock(faults_mutex_);
  rx_faults_.Configure(rate, seed);
  tx_faults_.Configure(rate, seed * 2654435761u + 1);
}

FaultCounts SimLine::OutgoingFaults() const {
  std::lock_guard lock(faults_mutex_);
  return tx_faults_.counts();
}

FaultCounts SimLine::IncomingFaults() const {
  std::lock_guard lock(faults_mutex_);
  return rx_faults_.counts();
}

// Waits for bytes from the client and moves them, through the noise, into
// the pending queue. False when nothing came within the time-out.
bool SimLine::FillPending(std::chrono::milliseconds timeout) {
  auto deadline = Clock::now() + timeout;
  uint8_t buf[256];
  while (!stopped_) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    if (left.count() < 0) return false;
    pollfd p{master_, POLLIN, 0};
    int wait = static_cast<int>(std::min<long long>(left.count(), kSlice.count()));
    int r = ::poll(&p, 1, wait);
    if (r <= 0 || !(p.revents & POLLIN)) {
      if (r > 0 && (p.revents & (POLLHUP | POLLERR))) std::this_thread::sleep_for(kSlice);
      continue;
    }
    ssize_t n = ::read(master_, buf, sizeof buf);
    if (n <= 0) continue;
    if (silent_) continue;
    std::vector<uint8_t> arrived(buf, buf + n);
    if (int client = MismatchedClientBaud())
      arrived = ReadAtWrongSpeed(arrived.data(), arrived.size(), client, baud_);
    std::vector<uint8_t> passed;
    {
      std::lock_guard lock(faults_mutex_);
      for (uint8_t b : arrived) rx_faults_.Pass(b, passed);
    }
    pending_.insert(pending_.end(), passed.begin(), passed.end());
    if (!pending_.empty()) return true;
  }
  return false;
}

void SimLine::Pace(Clock::time_point& next, size_t bytes) {
  int baud = baud_;
  if (baud <= 0) return;
  auto per_byte = std::chrono::nanoseconds(10'000'000'000LL / baud);
  next = std::max(next, Clock::now()) + per_byte * static_cast<long long>(bytes);
  while (!stopped_ && Clock::now() < next)
    std::this_thread::sleep_until(std::min(next, Clock::now() + kSlice));
}

bool SimLine::ReadByte(uint8_t& b, std::chrono::milliseconds timeout) {
  if (pending_.empty() && !FillPending(timeout)) return false;
  if (silent_) {
    pending_.clear();
    return false;
  }
  b = pending_.front();
  pending_.pop_front();
  Pace(rx_next_, 1);
  return true;
}

void SimLine::DiscardInput() {
  pending_.clear();
  uint8_t buf[256];
  while (::read(master_, buf, sizeof buf) > 0) {
  }
}

void SimLine::WriteAll(const uint8_t* data, size_t size) {
  auto give_up = Clock::now() + std::chrono::seconds(2);
  while (size > 0 && !stopped_) {
    ssize_t n = ::write(master_, data, size);
    if (n > 0) {
      data += n;
      size -= static_cast<size_t>(n);
      continue;
    }
    if (n < 0 && errno != EAGAIN && errno != EINTR) return;
    if (Clock::now() > give_up) return;  // nobody reads the device: the bytes are lost
    pollfd p{master_, POLLOUT, 0};
    ::poll(&p, 1, static_cast<int>(kSlice.count()));
  }
}

void SimLine::Write(std::string_view bytes) {
  if (silent_ || stopped_) return;
  if (long long d = delay_ms_; d > 0) {
    auto until = Clock::now() + std::chrono::milliseconds(d);
    while (!stopped_ && Clock::now() < until)
      std::this_thread::sleep_until(std::min(until, Clock::now() + kSlice));
  }
  std::vector<uint8_t> out;
  out.reserve(bytes.size() + 8);
  {
    std::lock_guard lock(faults_mutex_);
    for (char c : bytes) tx_faults_.Pass(static_cast<uint8_t>(c), out);
  }
  if (int client = MismatchedClientBaud())
    out = ReadAtWrongSpeed(out.data(), out.size(), baud_, client);
  // The bytes reach the client once the line has carried them.
  Pace(tx_next_, bytes.size());
  WriteAll(out.data(), out.size());
}

}  // namespace dravik::sim
