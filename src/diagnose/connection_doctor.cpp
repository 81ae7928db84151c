#include "diagnose/connection_doctor.h"

#include <sys/stat.h>
#include <unistd.h>

#include "diagnose/calculator_identity.h"
#include "diagnose/line_probe.h"
#include "link/trace_file.h"
#include "platform/device_users.h"
#include "platform/port_slots.h"
#include "platform/serial_device.h"

namespace dravik {
namespace {

std::string Baud(uint32_t baud) { return std::to_string(baud) + " baud"; }

// "a, b or c"
std::string Alternatives(const std::vector<std::string>& items, const char* last_joint) {
  std::string out;
  for (size_t i = 0; i < items.size(); ++i) {
    if (i > 0) out += i + 1 == items.size() ? last_joint : ", ";
    out += items[i];
  }
  return out;
}

// What to do instead when the device is not there or not usable.
std::string OtherDevices(const std::string& how_to_choose) {
  std::vector<std::string> devices = ScanSerialDevices();
  if (devices.empty())
    return "No serial device is connected to this computer: plug in the cable (a USB-serial "
           "adapter appears as /dev/ttyUSB0 or /dev/ttyACM0).";
  for (std::string& device : devices) device = DeviceLabel(device);
  return "Serial devices on this computer: " + Alternatives(devices, ", ") +
         " (choose one " + how_to_choose + ").";
}

const char* Heard(LineAnswer answer) { return answer == LineAnswer::XModemCrc ? "'C'" : "NAK"; }

bool IsXModem(LineAnswer answer) {
  return answer == LineAnswer::XModemNak || answer == LineAnswer::XModemCrc;
}

std::string XModemWaiting(uint32_t baud, LineAnswer answer) {
  return "At " + Baud(baud) + " something waits to receive by XModem (" + Heard(answer) +
         " heard) instead of a Kermit server answering: the calculator may still be running "
         "XRECV. Finish that transfer (dravik-cli --raw xsend FILE) or stop it with the ON key "
         "(ATTN), then start the calculator's server.";
}

std::string ServerKeys() {
  return "To start the server on an HP48G or GX press [\u2192] [I/O] (SERVER); on an HP48S "
         "or SX press [\u2192] I/O, then SERVE.";
}

// Step 5: the line at the chosen speed, then at the others.
Finding CheckLine(const std::string& device, const DoctorRequest& request) {
  const ProbeResult chosen = ProbeLine(device, request.baud, 2, request.wait_ms);
  if (chosen.open_error != DeviceError::Ok)
    return {Severity::Problem, DescribeDeviceError(chosen.open_error, device)};
  if (chosen.answer == LineAnswer::Kermit)
    return {Severity::Ok, "A Kermit server answers at " + Baud(request.baud) +
                              ": the calculator is ready."};
  if (IsXModem(chosen.answer)) return {Severity::Problem, XModemWaiting(request.baud, chosen.answer)};

  const std::string at_chosen =
      chosen.answer == LineAnswer::Garbled
          ? "Bytes arrive at " + Baud(request.baud) + " but make no sense (" +
                QuoteBytes(chosen.heard, 12) + ")"
          : "Nothing answers at " + Baud(request.baud);
  std::vector<std::string> tried;
  for (uint32_t speed : kCalculatorSpeeds) {
    if (speed == request.baud) continue;
    tried.push_back(std::to_string(speed));
    const ProbeResult other = ProbeLine(device, speed, 1, request.wait_ms);
    if (other.answer == LineAnswer::Kermit)
      return {Severity::Problem,
              at_chosen + "; at " + Baud(speed) + " a Kermit server answers. Set Dravik to " +
                  Baud(speed) + " (--baud " + std::to_string(speed) +
                  ", or the communication settings), or set the calculator to " +
                  Baud(request.baud) + " in its I/O setup."};
    if (IsXModem(other.answer))
      return {Severity::Problem, at_chosen + ". " + XModemWaiting(speed, other.answer) +
                                     " Then set Dravik to " + Baud(speed) + "."};
  }
  if (chosen.answer == LineAnswer::Garbled)
    return {Severity::Problem,
            at_chosen + ", nor at " + Alternatives(tried, " or ") +
                " baud: check the cable, that the calculator's parity is none, and that no "
                "other program or device sends on this line."};
  return {Severity::Problem,
          at_chosen + ", nor at " + Alternatives(tried, " or ") +
              " baud: the calculator may be off, the cable wrong or loose, or the calculator's "
              "Kermit server not started. " + ServerKeys()};
}

}  // namespace

const char* SeverityWord(Severity severity) {
  switch (severity) {
    case Severity::Ok: return "ok";
    case Severity::Warning: return "warning";
    case Severity::Problem: return "problem";
  }
  return "";
}

Finding DescribeAccess(const std::string& device, const DeviceAccess& access) {
  if (access.allowed) return {Severity::Ok, "You may read and write " + device + "."};
  const std::string& g = access.group;
  if (access.group_may_write && access.member_listed && !access.member_now)
    return {Severity::Problem, "You may not open " + device + " yet: you joined its group " + g +
                                   " after this login began. Log out and in again (or run: "
                                   "newgrp " + g + ")."};
  if (access.group_may_write && !access.member_now)
    return {Severity::Problem, "You may not open " + device + ": it belongs to the group " + g +
                                   ", which you are not in. Run: sudo adduser $USER " + g +
                                   ", then log out and in again."};
  return {Severity::Problem, "You may not open " + device + ", nor may its group " + g +
                                 ": give the device to the group dialout with a udev rule (see "
                                 "the README)."};
}

std::vector<Finding> DiagnoseConnection(const DoctorRequest& request,
                                        const std::function<void(const Finding&)>& report) {
  std::vector<Finding> findings;
  auto add = [&](Finding finding) {
    findings.push_back(std::move(finding));
    if (report) report(findings.back());
  };

  // 1. The device.
  const std::string device =
      request.device.empty() ? DeviceForSlot(request.port, request.port_devices) : request.device;
  if (device.empty()) {
    add({Severity::Problem, "COM" + std::to_string(request.port) + " has no serial device. " +
                                OtherDevices(request.how_to_choose)});
    return findings;
  }
  struct stat st {};
  if (::stat(device.c_str(), &st) != 0) {
    add({Severity::Problem, device + " does not exist. " + OtherDevices(request.how_to_choose)});
    return findings;
  }
  if (!S_ISCHR(st.st_mode)) {
    add({Severity::Problem, device + " is not a serial device. " + OtherDevices(request.how_to_choose)});
    return findings;
  }
  const std::string calculator = CalculatorOnDevice(device);
  add({Severity::Ok, device + " is there" + (calculator.empty() ? "" : ": " + calculator) + "."});

  // 2. Permission.
  add(DescribeAccess(device, CheckDeviceAccess(device)));
  const bool may_open = findings.back().severity == Severity::Ok;

  // 3. Other programs on the device.
  const std::vector<ProcessInfo> users = ProcessesUsingDevice(device);
  for (const ProcessInfo& p : users)
    add({Severity::Warning, p.name + " (pid " + std::to_string(p.pid) + ") has " + device +
                                " open: it may lock the device or take the calculator's "
                                "answers. Close it (kill " + std::to_string(p.pid) +
                                " ends it)."});
  if (users.empty())
    add({Severity::Ok, ::geteuid() == 0
                           ? "No other program has " + device + " open."
                           : "No other program of yours has " + device +
                                 " open (only root sees other users' programs)."});

  // 4. ModemManager.
  const std::vector<ProcessInfo> modem_manager = ProcessesNamed("ModemManager");
  if (modem_manager.empty())
    add({Severity::Ok, "ModemManager is not running."});
  else
    add({Severity::Warning,
         "ModemManager is running (pid " + std::to_string(modem_manager.front().pid) +
             "): it probes serial devices as they appear and may hold a newly plugged "
             "adapter or send it modem commands for the first seconds. Wait half a minute "
             "after plugging in, or have it leave the adapter alone with a udev rule (see the "
             "README)."});

  // 5. The line.
  if (may_open) add(CheckLine(device, request));
  // 6. Which calculator answers.
  if (may_open && findings.back().severity == Severity::Ok)
    add(IdentifyCalculator(device, request.baud));
  return findings;
}

}  // namespace dravik
