#include "platform/port_slots.h"

#include <fcntl.h>
#include <sys/ioctl.h>
#include <unistd.h>
#include <linux/serial.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string_view>

namespace dravik {
namespace {

namespace fs = std::filesystem;

// The USB ids (vendor HP, product) of the calculators the hp4x driver serves.
constexpr std::string_view kHpVendor = "03f0";
constexpr std::string_view kCalculatorProduct = "0121";
// From a tty's device in sysfs up to the USB device that holds the ids: the
// port, the interface, the device; one more level to spare.
constexpr int kLevelsToUsbDevice = 4;

// Numeric order among devices of one prefix: ttyUSB2 before ttyUSB10.
std::vector<std::string> NumberedDevices(const std::string& dev, const std::string& prefix) {
  std::vector<std::pair<long, std::string>> found;
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(dev, ec)) {
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

// The first line of a small sysfs file, blanks and letter case dropped.
std::string IdFile(const fs::path& file) {
  std::ifstream in(file);
  std::string line;
  std::getline(in, line);
  std::string id;
  for (char c : line)
    if (!std::isspace(static_cast<unsigned char>(c)))
      id.push_back(static_cast<char>(std::tolower(static_cast<unsigned char>(c))));
  return id;
}

// The name of the device node a path leads to ("ttyUSB0" for /dev/hp48
// linked to it).
std::string NodeName(const std::string& device) {
  std::error_code ec;
  const fs::path real = fs::canonical(device, ec);
  return (ec ? fs::path(device) : real).filename().string();
}

// Whether the nearest USB device above the tty's device in sysfs has the
// calculator's ids.
bool IsUsbCalculator(const std::string& node, const DeviceRoots& roots) {
  std::error_code ec;
  fs::path at = fs::canonical(fs::path(roots.sysfs) / "class" / "tty" / node / "device", ec);
  for (int level = 0; !ec && level < kLevelsToUsbDevice && at.has_relative_path();
       ++level, at = at.parent_path()) {
    if (fs::exists(at / "idVendor", ec))
      return IdFile(at / "idVendor") == kHpVendor && IdFile(at / "idProduct") == kCalculatorProduct;
  }
  return false;
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

std::vector<std::string> ScanSerialDevices(const DeviceRoots& roots) {
  std::vector<std::string> out = NumberedDevices(roots.dev, "ttyUSB");
  for (auto& d : NumberedDevices(roots.dev, "ttyACM")) out.push_back(d);
  for (auto& d : NumberedDevices(roots.dev, "ttyS"))
    if (IsRealUart(d)) out.push_back(d);
  // A calculator plugged in by USB is most likely the one to talk to.
  std::stable_partition(out.begin(), out.end(), [&](const std::string& device) {
    return IsUsbCalculator(NodeName(device), roots);
  });
  return out;
}

std::string CalculatorOnDevice(const std::string& device, const DeviceRoots& roots) {
  return IsUsbCalculator(NodeName(device), roots) ? kUsbCalculatorName : "";
}

std::string DeviceLabel(const std::string& device, const DeviceRoots& roots) {
  const std::string name = CalculatorOnDevice(device, roots);
  return name.empty() ? device : device + " \u2014 " + name;
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
