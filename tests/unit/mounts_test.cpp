#include "platform/mounts.h"

#include <gtest/gtest.h>

namespace dravik {
namespace {

TEST(Mounts, RealFileSystemsBecomeDrivesOfTheirKind) {
  const auto drives = ParseMountTable(
      "proc /proc proc rw 0 0\n"
      "/dev/sda2 / ext4 rw 0 0\n"
      "tmpfs /run/user/1000 tmpfs rw 0 0\n"
      "cgroup2 /sys/fs/cgroup cgroup2 rw 0 0\n"
      "/dev/sda1 /boot/efi vfat rw 0 0\n"
      "/dev/sdb1 /media/ada/MY\\040STICK vfat rw 0 0\n"
      "/dev/sr0 /run/media/ada/DISC iso9660 ro 0 0\n"
      "/dev/loop3 /snap/core/123 squashfs ro 0 0\n"
      "/dev/sdc1 /home btrfs rw 0 0\n"
      "/dev/sdd1 /home btrfs rw 0 0\n"
      "broken line\n");
  ASSERT_EQ(drives.size(), 5u);
  EXPECT_EQ(drives[0].path, "/");
  EXPECT_EQ(drives[0].kind, DriveKind::Fixed);
  EXPECT_EQ(drives[1].path, "/boot/efi");
  EXPECT_EQ(drives[2].path, "/media/ada/MY STICK");
  EXPECT_EQ(drives[2].kind, DriveKind::Removable);
  EXPECT_EQ(drives[3].path, "/run/media/ada/DISC");
  EXPECT_EQ(drives[3].kind, DriveKind::CdRom);
  EXPECT_EQ(drives[4].path, "/home");

  EXPECT_EQ(DriveOf(drives, "/home/ada/")->path, "/home");
  EXPECT_EQ(DriveOf(drives, "/homework/")->path, "/");
  EXPECT_EQ(DriveFolder("/home"), "/home/");
  EXPECT_EQ(DriveFolder("/"), "/");
}

}  // namespace
}  // namespace dravik
