#include "platform/device_access.h"

#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <vector>

namespace dravik {

DeviceAccess CheckDeviceAccess(const std::string& device) {
  DeviceAccess access;
  access.allowed = ::access(device.c_str(), R_OK | W_OK) == 0;
  struct stat st {};
  if (::stat(device.c_str(), &st) != 0) return access;
  if (const group* g = ::getgrgid(st.st_gid)) access.group = g->gr_name;
  else access.group = std::to_string(st.st_gid);
  access.group_may_write = (st.st_mode & (S_IRGRP | S_IWGRP)) == (S_IRGRP | S_IWGRP);

  const int count = ::getgroups(0, nullptr);
  std::vector<gid_t> now(static_cast<size_t>(std::max(count, 0)));
  if (count > 0 && ::getgroups(count, now.data()) == count)
    access.member_now = std::find(now.begin(), now.end(), st.st_gid) != now.end();
  access.member_now = access.member_now || ::getegid() == st.st_gid;

  if (const passwd* user = ::getpwuid(::getuid())) {
    int listed = 64;
    std::vector<gid_t> groups(static_cast<size_t>(listed));
    if (::getgrouplist(user->pw_name, user->pw_gid, groups.data(), &listed) < 0) {
      groups.resize(static_cast<size_t>(listed));
      ::getgrouplist(user->pw_name, user->pw_gid, groups.data(), &listed);
    }
    groups.resize(static_cast<size_t>(std::max(listed, 0)));
    access.member_listed = std::find(groups.begin(), groups.end(), st.st_gid) != groups.end();
  }
  return access;
}

}  // namespace dravik
