#include "platform/port_slots.h"

#include <fcntl.h>
#include <sys/ioctl.h>
#include <unistd.h>
#include <linux/serial.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>

namespace dravik {
namespace {

// Numeric order within one family: ttyUSB2 before ttyUSB10.
std::vector<std::string> Family(const std::string& prefix) {
  std::vector<std::pair<long, std::string>> found;
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator("/dev", ec)) {
    std::string name = entry.path().filename().string();
    if (name.size() <= prefix.size() || name.compare(0, prefix.size(), prefix) != 0) continue;
    std::string digits = name.substr(prefix.size());
    if (!std::all_of(digits.begin(), digits.end(), ::isdigit)) continue;
    found.emplace_back(std::strtol(digits.c_str(), nullptr, 10), entry.path().string());
  }
  std::sort(found.begin(), found.end());
  std::vector<std::string> out;
  for (auto& f : found) out.push_back(f.second);
  return out;
}

// A ttyS node exists for every possible UART; only those with hardware
// behind them report a port type.
bool IsRealUart(const std::string& path) {
  int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return false;
  serial_struct info{};
  bool real = ::ioctl(fd, TIOCGSERIAL, &info) == 0 && info.type != PORT_UNKNOWN;
  ::close(fd);
  return real;
}

}  // namespace

std::vector<std::string> ScanSerialDevices() {
  std::vector<std::string> out = Family("ttyUSB");
  for (auto& d : Family("ttyACM")) out.push_back(d);
  for (auto& d : Family("ttyS"))
    if (IsRealUart(d)) out.push_back(d);
  return out;
}

std::string DeviceForSlot(int slot, const std::array<std::string, 4>& overrides) {
  if (slot < 1 || slot > 4) return "";
  if (!overrides[slot - 1].empty()) return overrides[slot - 1];
  std::string var = "DRAVIK_COM" + std::to_string(slot);
  if (const char* env = std::getenv(var.c_str()); env && *env) return env;
  std::vector<std::string> devices = ScanSerialDevices();
  if (static_cast<size_t>(slot) <= devices.size()) return devices[slot - 1];
  return "";
}

}  // namespace dravik
