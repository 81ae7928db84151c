// Whether this process may open a device for reading and writing, and the
// facts that explain a refusal: the device's group, whether the user is a
// member of it in the group database, and whether this login has it yet
// (a group joined after logging in takes effect at the next login).
#pragma once

#include <string>

namespace dravik {

struct DeviceAccess {
  bool allowed = false;          // read and write permitted now
  std::string group;             // the device's group name ("dialout")
  bool group_may_write = false;  // the group's permission bits allow read and write
  bool member_now = false;       // this process has the group
  bool member_listed = false;    // the group database lists the user in it
};

DeviceAccess CheckDeviceAccess(const std::string& device);

}  // namespace dravik
