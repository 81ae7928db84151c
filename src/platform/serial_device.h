// A serial device on POSIX: raw termios, exclusive use, reads bounded by poll.
//
// This is the only place that touches termios. Reads are served from a small
// buffer filled by one read() of whatever has arrived, so a byte-at-a-time
// protocol does not cost one system call per byte; a read still returns as
// soon as one byte is there.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string>

namespace dravik {

// The closed set of results of opening a device.
enum class DeviceError {
  Ok,
  NotFound,          // no such device
  Busy,              // another program holds it
  NoPermission,      // the user may not open it
  NotATerminal,      // not a serial device
  ConfigFailed,      // the line settings were refused
  BadSlot,           // port number outside 1..4, or no device for the slot
  IsDirectory,       // the path names a folder
  ReadOnly,          // on a read-only file system
  UnsupportedSpeed,  // no such line speed (see IsSupportedSpeed)
  OpenFailed,        // any other reason the system gave
};

// The line speeds a device can be set to.
bool IsSupportedSpeed(uint32_t baud);
// "300, 600, ..., 115200" for messages.
std::string SupportedSpeeds();

// A sentence for the user: why a device could not be opened, and the usual fix.
std::string DescribeDeviceError(DeviceError error, const std::string& device);

struct LineSettings {
  uint32_t baud = 9600;
  int data_bits = 8;
  int parity = 0;     // 0 none, 1 odd, 2 even, 3 mark, 4 space
  int stop_bits = 0;  // 0 one, 1 one and a half (taken as two), 2 two
};

class SerialDevice {
 public:
  SerialDevice() = default;
  ~SerialDevice();
  SerialDevice(const SerialDevice&) = delete;
  SerialDevice& operator=(const SerialDevice&) = delete;

  DeviceError Open(const std::string& path, const LineSettings& line);
  // A read or write that a signal interrupts gives up at once when this
  // flag is set (the user's cancel); otherwise it goes on waiting. A write
  // that waits for room in the driver also gives up once the flag is set.
  void SetInterruptFlag(const std::atomic<int>* flag) { interrupt_ = flag; }
  bool IsOpen() const { return fd_ >= 0; }
  // Closes the device if open; drops whatever is buffered. True if it was open.
  bool Close();
  const std::string& path() const { return path_; }

  // Waits at most timeout_ms for one byte. False on time-out or error.
  bool ReadByte(uint8_t& byte, int timeout_ms);
  // Writes all bytes, waiting at most timeout_ms in all (or until the
  // interrupt flag is set). True if all went out.
  bool Write(const uint8_t* data, size_t size, int timeout_ms);
  // Drops pending input (our buffer and the driver's).
  void DiscardInput();
  // Waits (bounded) until the output has been transmitted; drops it only if
  // it did not go out in time.
  void FlushOutput();
  // Bytes waiting in our buffer (not counting the driver's).
  size_t Buffered() const { return end_ - begin_; }
  // The next byte of our buffer, without a wait or a system call; false
  // when the buffer is empty.
  bool TakeBuffered(uint8_t& byte) {
    if (begin_ == end_) return false;
    byte = buffer_[begin_++];
    return true;
  }
  // The device went away while open (adapter unplugged, pseudo-terminal
  // closed): every later read or write fails at once until it is reopened.
  bool Lost() const { return lost_; }

 private:
  int fd_ = -1;
  std::string path_;
  uint8_t buffer_[512];
  size_t begin_ = 0;
  size_t end_ = 0;
  bool lost_ = false;
  const std::atomic<int>* interrupt_ = nullptr;
  bool Interrupted() const { return interrupt_ && interrupt_->load() != 0; }
};

}  // namespace dravik
