#include "platform/mounts.h"

#include <sys/stat.h>

#include <algorithm>
#include <array>
#include <fstream>
#include <iterator>

namespace dravik {

namespace {

// File systems that hold no user files.
constexpr std::array<std::string_view, 30> kPseudoFileSystems = {
    "proc",       "sysfs",      "devtmpfs",   "devpts",      "tmpfs",
    "ramfs",      "cgroup",     "cgroup2",    "securityfs",  "pstore",
    "bpf",        "debugfs",    "tracefs",    "configfs",    "fusectl",
    "mqueue",     "hugetlbfs",  "autofs",     "binfmt_misc", "efivarfs",
    "rpc_pipefs", "nsfs",       "selinuxfs",  "nfsd",        "rootfs",
    "fuse.gvfsd-fuse", "fuse.portal", "fuse.lxcfs", "none", "devfs"};

bool StartsWith(std::string_view text, std::string_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}

bool Below(std::string_view path, std::string_view folder) {
  return path == folder || StartsWith(path, std::string(folder) + "/");
}

bool IsPseudo(std::string_view fsType, std::string_view mountPoint) {
  if (std::find(kPseudoFileSystems.begin(), kPseudoFileSystems.end(), fsType) !=
      kPseudoFileSystems.end())
    return true;
  if (Below(mountPoint, "/proc") || Below(mountPoint, "/sys") || Below(mountPoint, "/dev"))
    return true;
  if (Below(mountPoint, "/run") && !Below(mountPoint, "/run/media")) return true;
  // Snap packages mount one read-only image each.
  return fsType == "squashfs" && Below(mountPoint, "/snap");
}

// The table writes blanks, tabs, newlines and backslashes in paths as
// three-digit octal escapes (\040 for a blank).
std::string Unescape(std::string_view field) {
  std::string out;
  for (size_t i = 0; i < field.size(); ++i) {
    if (field[i] == '\\' && i + 3 < field.size()) {
      const std::string_view digits = field.substr(i + 1, 3);
      if (std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '7'; })) {
        out += static_cast<char>((digits[0] - '0') * 64 + (digits[1] - '0') * 8 + (digits[2] - '0'));
        i += 3;
        continue;
      }
    }
    out += field[i];
  }
  return out;
}

std::vector<std::string_view> Fields(std::string_view line) {
  std::vector<std::string_view> fields;
  size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
    const size_t start = i;
    while (i < line.size() && line[i] != ' ' && line[i] != '\t') ++i;
    if (i > start) fields.push_back(line.substr(start, i - start));
  }
  return fields;
}

DriveKind KindOf(std::string_view fsType, std::string_view mountPoint) {
  if (fsType == "iso9660" || fsType == "udf") return DriveKind::CdRom;
  if (Below(mountPoint, "/media") || Below(mountPoint, "/run/media")) return DriveKind::Removable;
  return DriveKind::Fixed;
}

}  // namespace

std::vector<MountedDrive> ParseMountTable(std::string_view table) {
  std::vector<MountedDrive> drives;
  while (!table.empty()) {
    const size_t end = table.find('\n');
    const std::string_view line = table.substr(0, end);
    table = end == std::string_view::npos ? std::string_view() : table.substr(end + 1);
    const auto fields = Fields(line);
    if (fields.size() < 3) continue;
    std::string mountPoint = Unescape(fields[1]);
    const std::string fsType(fields[2]);
    if (mountPoint.empty() || mountPoint[0] != '/') continue;
    while (mountPoint.size() > 1 && mountPoint.back() == '/') mountPoint.pop_back();
    if (IsPseudo(fsType, mountPoint)) continue;
    auto same = std::find_if(drives.begin(), drives.end(),
                             [&](const MountedDrive& d) { return d.path == mountPoint; });
    // A file system mounted over another one hides it: the last one counts.
    if (same != drives.end()) {
      same->fsType = fsType;
      same->kind = KindOf(fsType, mountPoint);
      continue;
    }
    drives.push_back({mountPoint, fsType, KindOf(fsType, mountPoint)});
  }
  return drives;
}

std::vector<MountedDrive> MountedDrives() {
  std::ifstream in("/proc/self/mounts");
  const std::string table(std::istreambuf_iterator<char>(in), {});
  std::vector<MountedDrive> drives = ParseMountTable(table);
  std::erase_if(drives, [](const MountedDrive& d) {
    struct stat st{};
    return ::stat(d.path.c_str(), &st) != 0 || !S_ISDIR(st.st_mode);
  });
  if (std::none_of(drives.begin(), drives.end(), [](const MountedDrive& d) { return d.path == "/"; }))
    drives.insert(drives.begin(), {"/", "", DriveKind::Fixed});
  return drives;
}

const MountedDrive* DriveOf(const std::vector<MountedDrive>& drives, std::string_view folder) {
  const MountedDrive* best = nullptr;
  for (const MountedDrive& d : drives) {
    if (!StartsWith(folder, DriveFolder(d.path))) continue;
    if (!best || d.path.size() > best->path.size()) best = &d;
  }
  return best;
}

std::string DriveFolder(std::string_view mountPoint) {
  std::string folder(mountPoint);
  if (folder.empty() || folder.back() != '/') folder += '/';
  return folder;
}

}  // namespace dravik
