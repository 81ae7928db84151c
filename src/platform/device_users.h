// Which processes use a serial device, and whether a given program runs:
// read from /proc, so only processes this user may inspect are seen (all of
// them for root).
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace dravik {

struct ProcessInfo {
  int pid = 0;
  std::string name;  // the command name (/proc/PID/comm)
};

// Other processes that have the device open, this one left out. On a
// pseudo-terminal the process holding its controlling side is the far end
// of the line (an emulator, the simulated calculator), not a rival, and is
// left out too.
std::vector<ProcessInfo> ProcessesUsingDevice(const std::string& device);

// Running processes whose command name is name.
std::vector<ProcessInfo> ProcessesNamed(std::string_view name);

}  // namespace dravik
