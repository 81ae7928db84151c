// The connection doctor: checks, in order, what most often keeps Dravik from
// reaching the calculator, and says for each finding what to do.
//
//   1. the device is there (else which serial devices exist instead)
//   2. this user may open it (group membership, a new login after joining)
//   3. no other program has it open (name and pid)
//   4. ModemManager, which probes new serial devices, is not running
//   5. on the line at the chosen speed: a Kermit server answers; or a
//      receiver waits in XModem instead; or bytes arrive that fit another
//      speed (the others are tried and the one that answers is named); or
//      nothing is heard at any speed.
//   6. which calculator answers (the connection check names the model).
//
// dravik-cli doctor prints the findings; the window's "Diagnose" button can
// show them the same way. The line checks take up to about eight seconds
// when nothing answers (run them off the GUI thread; report is called on
// the thread that runs them). The device must not be held open by the
// caller's own link meanwhile: close the port first, or the line check
// finds it in use.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/device_access.h"

namespace dravik {

enum class Severity {
  Ok,       // this check passed
  Warning,  // may cause trouble; the connection can still work
  Problem,  // keeps the connection from working
};

struct Finding {
  Severity severity = Severity::Ok;
  std::string text;  // what was found and what to do, one sentence or two

  bool operator==(const Finding&) const = default;
};

struct DoctorRequest {
  std::string device;  // the device to check; empty: the port slot's device
  int port = 1;        // the port slot 1..4 when no device is named
  std::array<std::string, 4> port_devices;  // slot overrides, as in the session
  uint32_t baud = 9600;                     // the speed Dravik is set to
  int wait_ms = 1500;  // how long to listen for an answer to each probe
  // Where the user chooses another device, named when this one is missing.
  std::string how_to_choose = "with --device or in the communication settings";
};

// The speeds the calculator offers, fastest first.
inline constexpr std::array<uint32_t, 4> kCalculatorSpeeds = {9600, 4800, 2400, 1200};

// Runs the checks in order and stops where the next ones could not run (no
// device, no permission, the device locked). Each finding goes to report as
// soon as it is made (if set); all are returned.
std::vector<Finding> DiagnoseConnection(const DoctorRequest& request,
                                        const std::function<void(const Finding&)>& report = {});

// The permission finding for a device with these access facts.
Finding DescribeAccess(const std::string& device, const DeviceAccess& access);

// "ok", "warning" or "problem".
const char* SeverityWord(Severity severity);

}  // namespace dravik
