#include "platform/line_stamp.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/config_folder.h"

namespace dravik {
namespace {

constexpr size_t kStampWidth = 20;  // digits, so a rewrite always covers the old text
constexpr long long kLargestMs = 1'000'000'000'000'000LL;  // beyond any uptime

std::string StampFolder() {
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  if (runtime && runtime[0] == '/') {
    std::string folder = std::string(runtime) + "/dravik/";
    ::mkdir(folder.c_str(), 0700);
    struct stat st {};
    if (::lstat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::getuid())
      return folder;
  }
  return ConfigFolder();
}

long long ToMs(LineStamp::Clock::time_point t) {
  return std::chrono::duration_cast<std::chrono::milliseconds>(t.time_since_epoch()).count();
}

}  // namespace

LineStamp::~LineStamp() { Detach(); }

bool LineStamp::Attach(const std::string& device_path) {
  Detach();
  written_ = {};
  struct stat device {};
  if (::stat(device_path.c_str(), &device) != 0) return false;
  // A serial device is known by its device number, whatever name (a
  // symbolic link under /dev/serial/) it was opened by.
  const unsigned long major_no = S_ISCHR(device.st_mode) ? major(device.st_rdev) : major(device.st_dev);
  const unsigned long minor_no =
      S_ISCHR(device.st_mode) ? minor(device.st_rdev) : static_cast<unsigned long>(device.st_ino);
  const std::string path = StampFolder() + "line-" + std::to_string(major_no) + "-" +
                           std::to_string(minor_no);
  fd_ = ::open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
  return fd_ >= 0;
}

void LineStamp::Detach() {
  if (unwritten_) Write(*unwritten_);
  unwritten_.reset();
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
}

std::optional<LineStamp::Clock::time_point> LineStamp::Last() const {
  if (fd_ < 0) return std::nullopt;
  char text[kStampWidth + 1] = {};
  if (::pread(fd_, text, kStampWidth, 0) != static_cast<ssize_t>(kStampWidth)) return std::nullopt;
  long long ms = 0;
  for (size_t i = 0; i < kStampWidth; ++i) {
    if (text[i] < '0' || text[i] > '9' || ms > kLargestMs) return std::nullopt;
    ms = ms * 10 + (text[i] - '0');
  }
  const Clock::time_point when{std::chrono::milliseconds(ms)};
  // A program that left the peer needing a longer quiet (after an error
  // packet) recorded a time a little ahead; one far ahead was written before
  // the system restarted.
  if (when > Clock::now() + kLargestAhead) return std::nullopt;
  return when;
}

void LineStamp::Record(Clock::time_point when) {
  if (fd_ < 0) return;
  if (when - written_ < kWriteInterval) {
    unwritten_ = when;
    return;
  }
  unwritten_.reset();
  Write(when);
}

void LineStamp::Write(Clock::time_point when) {
  if (fd_ < 0) return;
  written_ = when;
  char text[kStampWidth + 1];
  const long long ms = ToMs(when);
  std::snprintf(text, sizeof text, "%020lld", ms < 0 ? 0 : ms);
  // A stamp that cannot be written only costs the next program one pause.
  if (::pwrite(fd_, text, kStampWidth, 0) != static_cast<ssize_t>(kStampWidth)) return;
}

}  // namespace dravik
