#include "platform/serial_device.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <algorithm>
#include <chrono>

namespace dravik {
namespace {

speed_t SpeedFor(uint32_t baud) {
  switch (baud) {
    case 300: return B300;
    case 600: return B600;
    case 1200: return B1200;
    case 2400: return B2400;
    case 4800: return B4800;
    case 9600: return B9600;
    case 19200: return B19200;
    case 38400: return B38400;
    case 57600: return B57600;
    case 115200: return B115200;
    default: return B0;
  }
}

constexpr uint32_t kSpeeds[] = {300, 600, 1200, 2400, 4800, 9600, 19200, 38400, 57600, 115200};

// The longest a write waits for room in the driver before it looks at the
// interrupt flag again.
constexpr long long kWriteSliceMs = 40;

// Errors that mean the device itself is gone, not a passing condition.
bool IsGone(int error) { return error == EIO || error == ENXIO || error == ENODEV || error == EBADF; }

long long NowMs() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

}  // namespace

bool IsSupportedSpeed(uint32_t baud) { return SpeedFor(baud) != B0; }

std::string SupportedSpeeds() {
  std::string text;
  for (uint32_t speed : kSpeeds) text += (text.empty() ? "" : ", ") + std::to_string(speed);
  return text;
}

std::string DescribeDeviceError(DeviceError error, const std::string& device) {
  switch (error) {
    case DeviceError::Ok: return "";
    case DeviceError::NotFound:
      return "Cannot open " + device + ": no such device. Is the cable plugged in?";
    case DeviceError::Busy:
      return "Cannot open " + device + ": another program is using it.";
    case DeviceError::NoPermission:
      return "Cannot open " + device +
             ": permission denied. Add your user to the dialout group "
             "(sudo adduser $USER dialout) and log in again.";
    case DeviceError::NotATerminal:
      return "Cannot open " + device + ": it is not a serial device.";
    case DeviceError::ConfigFailed:
      return "Cannot open " + device + ": the line settings were refused.";
    case DeviceError::BadSlot:
      return "No serial device for " + (device.empty() ? std::string("this port") : device) + ".";
    case DeviceError::IsDirectory:
      return "Cannot open " + device + ": it is a directory, not a serial device.";
    case DeviceError::ReadOnly:
      return "Cannot open " + device + ": it is on a read-only file system.";
    case DeviceError::UnsupportedSpeed:
      return "Cannot open " + device + ": the line speed is not supported (use one of " +
             SupportedSpeeds() + ").";
    case DeviceError::OpenFailed:
      return "Cannot open " + device + ".";
  }
  return "Cannot open " + device + ".";
}

SerialDevice::~SerialDevice() { Close(); }

DeviceError SerialDevice::Open(const std::string& path, const LineSettings& line) {
  Close();
  if (!IsSupportedSpeed(line.baud)) return DeviceError::UnsupportedSpeed;
  int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    switch (errno) {
      case ENOENT: case ENXIO: case ENODEV: case ENOTDIR: return DeviceError::NotFound;
      case EACCES: case EPERM: return DeviceError::NoPermission;
      case EBUSY: return DeviceError::Busy;
      case EISDIR: return DeviceError::IsDirectory;
      case EROFS: return DeviceError::ReadOnly;
      default: return DeviceError::OpenFailed;
    }
  }
  // Exclusive use, as the Windows share mode 0: a lock every cooperating
  // program honours, and TIOCEXCL so that even others cannot open it.
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    ::close(fd);
    return DeviceError::Busy;
  }
  termios tio{};
  if (::tcgetattr(fd, &tio) != 0) {
    ::close(fd);
    return DeviceError::NotATerminal;
  }
  ::ioctl(fd, TIOCEXCL);

  ::cfmakeraw(&tio);
  tio.c_cflag |= CLOCAL | CREAD;
  tio.c_cflag &= ~CSIZE;
  switch (line.data_bits) {
    case 5: tio.c_cflag |= CS5; break;
    case 6: tio.c_cflag |= CS6; break;
    case 7: tio.c_cflag |= CS7; break;
    default: tio.c_cflag |= CS8; break;
  }
  tio.c_cflag &= ~(PARENB | PARODD | CMSPAR);
  tio.c_iflag &= ~(INPCK | IXON | IXOFF | IXANY);
  if (line.parity != 0) {
    tio.c_cflag |= PARENB;
    tio.c_iflag |= INPCK;
    if (line.parity == 1 || line.parity == 3) tio.c_cflag |= PARODD;
    if (line.parity == 3 || line.parity == 4) tio.c_cflag |= CMSPAR;
  }
  if (line.stop_bits != 0) tio.c_cflag |= CSTOPB;
  else tio.c_cflag &= ~CSTOPB;
  tio.c_cc[VMIN] = 0;
  tio.c_cc[VTIME] = 0;
  speed_t speed = SpeedFor(line.baud);
  if (speed == B0 || ::cfsetispeed(&tio, speed) != 0 || ::cfsetospeed(&tio, speed) != 0 ||
      ::tcsetattr(fd, TCSANOW, &tio) != 0) {
    ::close(fd);
    return DeviceError::ConfigFailed;
  }
  fd_ = fd;
  path_ = path;
  begin_ = end_ = 0;
  lost_ = false;
  return DeviceError::Ok;
}

bool SerialDevice::Close() {
  begin_ = end_ = 0;
  if (fd_ < 0) return false;
  ::ioctl(fd_, TIOCNXCL);
  ::close(fd_);  // releases the flock too
  fd_ = -1;
  return true;
}

bool SerialDevice::ReadByte(uint8_t& byte, int timeout_ms) {
  if (begin_ < end_) {
    byte = buffer_[begin_++];
    return true;
  }
  if (fd_ < 0) return false;
  const long long deadline = NowMs() + timeout_ms;
  bool hung_up = false;
  for (;;) {
    ssize_t n = ::read(fd_, buffer_, sizeof buffer_);
    if (n > 0) {
      begin_ = 1;
      end_ = static_cast<size_t>(n);
      byte = buffer_[0];
      return true;
    }
    if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) {
      if (IsGone(errno)) lost_ = true;
      return false;
    }
    // A hung-up terminal reads as end of file (0) and polls as always
    // ready: the device is gone and nothing will arrive on this descriptor.
    if (hung_up) {
      lost_ = true;
      return false;
    }
    long long left = deadline - NowMs();
    if (left <= 0) return false;
    pollfd p{fd_, POLLIN, 0};
    int r = ::poll(&p, 1, static_cast<int>(left));
    if (r < 0 && (errno != EINTR || Interrupted())) return false;
    // Read once more after a hang-up: bytes that came before it still count.
    if (r > 0 && (p.revents & (POLLHUP | POLLERR | POLLNVAL))) hung_up = true;
  }
}

bool SerialDevice::Write(const uint8_t* data, size_t size, int timeout_ms) {
  if (fd_ < 0) return false;
  const long long deadline = NowMs() + timeout_ms;
  size_t done = 0;
  while (done < size) {
    ssize_t n = ::write(fd_, data + done, size - done);
    if (n > 0) {
      done += static_cast<size_t>(n);
      continue;
    }
    if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) {
      if (IsGone(errno)) lost_ = true;
      return false;
    }
    // No room in the driver: waited for in slices, so that a cancel asked
    // meanwhile ends the write within one.
    long long left = deadline - NowMs();
    if (left <= 0 || Interrupted()) return false;
    pollfd p{fd_, POLLOUT, 0};
    if (::poll(&p, 1, static_cast<int>(std::min(left, kWriteSliceMs))) < 0 &&
        (errno != EINTR || Interrupted()))
      return false;
  }
  return true;
}

void SerialDevice::DiscardInput() {
  begin_ = end_ = 0;
  if (fd_ >= 0) ::tcflush(fd_, TCIFLUSH);
}

void SerialDevice::FlushOutput() {
  if (fd_ < 0) return;
  // tcdrain may block for as long as the driver holds data; a pseudo-terminal
  // whose reader is gone would block for good, so bound it by polling.
  // Output is dropped only when it is stuck: on a pseudo-terminal the queue
  // reads empty while the bytes still wait for the other side, and a flush
  // there would throw them away.
  int pending = 0;
  for (int i = 0; i < 200 && ::ioctl(fd_, TIOCOUTQ, &pending) == 0 && pending > 0; ++i)
    ::usleep(10000);
  if (pending > 0) ::tcflush(fd_, TCOFLUSH);
}

}  // namespace dravik
