#include "pty_pair.h"

#include <fcntl.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <stdexcept>

namespace dravik::testing {

PtyPair::PtyPair() {
  char name[256] = {};
  termios tio{};
  ::cfmakeraw(&tio);
  if (::openpty(&master_, &slave_, name, &tio, nullptr) != 0)
    throw std::runtime_error("openpty failed");
  ::fcntl(master_, F_SETFD, FD_CLOEXEC);
  ::fcntl(slave_, F_SETFD, FD_CLOEXEC);
  device_ = name;
}

PtyPair::~PtyPair() {
  ReleaseDevice();
  CloseMaster();
}

void PtyPair::ReleaseDevice() {
  if (slave_ >= 0) ::close(slave_);
  slave_ = -1;
}

void PtyPair::CloseMaster() {
  if (master_ >= 0) ::close(master_);
  master_ = -1;
}

}  // namespace dravik::testing
