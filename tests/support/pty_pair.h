// A pseudo-terminal pair for tests: the link opens the device path (the
// subordinate side), the test or a peer process uses the controlling side.
#pragma once

#include <string>

namespace dravik::testing {

class PtyPair {
 public:
  PtyPair();  // raw mode on both sides
  ~PtyPair();
  PtyPair(const PtyPair&) = delete;
  PtyPair& operator=(const PtyPair&) = delete;

  int master() const { return master_; }
  const std::string& device() const { return device_; }
  // Closes the subordinate side we keep open so the device stays alive.
  void ReleaseDevice();
  // Closes the controlling side: the device disappears for whoever holds it.
  void CloseMaster();

 private:
  int master_ = -1;
  int slave_ = -1;
  std::string device_;
};

}  // namespace dravik::testing
