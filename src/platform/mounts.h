// The mounted file systems, which the PC panes show as drives.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace dravik {

enum class DriveKind { Removable, Fixed, CdRom };

struct MountedDrive {
  std::string path;    // the mount point, without a trailing '/' except for "/"
  std::string fsType;  // "ext4", "iso9660", ...
  DriveKind kind = DriveKind::Fixed;
};

// The drives of a mount table in the format of /proc/self/mounts, in its
// order. Pseudo file systems (proc, sysfs, tmpfs, cgroup, ...) and anything
// mounted below /proc, /sys, /dev or /run (but /run/media) are left out; a
// mount point mounted twice is listed once, where it first appears. CD-ROMs
// are iso9660 and udf, removable drives are mounted under /media or
// /run/media, the rest is fixed.
std::vector<MountedDrive> ParseMountTable(std::string_view table);

// The drives of this machine: /proc/self/mounts without mount points that
// are not folders (files bound into a container). At least "/" when the
// table cannot be read.
std::vector<MountedDrive> MountedDrives();

// The drive among drives whose mount point holds folder (ending with '/'):
// the longest matching mount point. Null when none does.
const MountedDrive* DriveOf(const std::vector<MountedDrive>& drives, std::string_view folder);

// The folder path of a mount point, ending with '/'.
std::string DriveFolder(std::string_view mountPoint);

}  // namespace dravik
