#include "platform/device_users.h"

#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace dravik {
namespace {

namespace fs = std::filesystem;

// Unix 98 pseudo-terminal subordinates have the majors 136..143.
constexpr unsigned kPtsFirstMajor = 136, kPtsLastMajor = 143;

// The process folders of /proc, this process left out.
std::vector<int> OtherPids() {
  std::vector<int> pids;
  std::error_code ec;
  const int self = static_cast<int>(::getpid());
  for (const auto& entry : fs::directory_iterator("/proc", ec)) {
    const std::string name = entry.path().filename().string();
    if (name.empty() || !std::all_of(name.begin(), name.end(), ::isdigit)) continue;
    const int pid = std::atoi(name.c_str());
    if (pid != self) pids.push_back(pid);
  }
  std::sort(pids.begin(), pids.end());
  return pids;
}

std::string CommandName(int pid) {
  std::ifstream in("/proc/" + std::to_string(pid) + "/comm");
  std::string name;
  std::getline(in, name);
  return name;
}

// The pseudo-terminal index of the open /dev/ptmx descriptor fd of pid, or
// -1 when fd is something else.
int PtmxIndex(int pid, const std::string& fd) {
  const std::string base = "/proc/" + std::to_string(pid);
  std::error_code ec;
  if (fs::read_symlink(base + "/fd/" + fd, ec) != "/dev/ptmx") return -1;
  std::ifstream in(base + "/fdinfo/" + fd);
  for (std::string line; std::getline(in, line);)
    if (line.rfind("tty-index:", 0) == 0) return std::atoi(line.c_str() + 10);
  return -1;
}

}  // namespace

std::vector<ProcessInfo> ProcessesUsingDevice(const std::string& device) {
  struct stat target {};
  if (::stat(device.c_str(), &target) != 0 || !S_ISCHR(target.st_mode)) return {};
  const unsigned major_number = major(target.st_rdev);
  const int pts_index = major_number >= kPtsFirstMajor && major_number <= kPtsLastMajor
                            ? static_cast<int>((major_number - kPtsFirstMajor) * 256 +
                                               minor(target.st_rdev))
                            : -1;
  std::vector<ProcessInfo> users;
  for (int pid : OtherPids()) {
    bool uses = false, far_end = false;
    std::error_code ec;
    for (const auto& fd : fs::directory_iterator("/proc/" + std::to_string(pid) + "/fd", ec)) {
      struct stat st {};
      if (::stat(fd.path().c_str(), &st) != 0 || !S_ISCHR(st.st_mode)) continue;
      if (st.st_rdev == target.st_rdev) uses = true;
      else if (pts_index >= 0 && PtmxIndex(pid, fd.path().filename().string()) == pts_index)
        far_end = true;
    }
    if (uses && !far_end) users.push_back({pid, CommandName(pid)});
  }
  return users;
}

std::vector<ProcessInfo> ProcessesNamed(std::string_view name) {
  std::vector<ProcessInfo> found;
  for (int pid : OtherPids())
    if (std::string comm = CommandName(pid); comm == name) found.push_back({pid, comm});
  return found;
}

}  // namespace dravik
