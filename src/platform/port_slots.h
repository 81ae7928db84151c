// The four port slots COM1..COM4 and the devices behind them. A calculator
// with a USB port of its own (HP 49g+, 50g, 48gII) shows as a serial device
// through the kernel's hp4x driver; the kernel's device tree (sysfs) tells
// it by its USB ids, so it can be named and offered first.
#pragma once

#include <array>
#include <string>
#include <vector>

namespace dravik {

// Where the device nodes and the kernel's device tree are: /dev and /sys on
// a running system, folders of a made-up tree in a test.
struct DeviceRoots {
  std::string dev = "/dev";
  std::string sysfs = "/sys";
};

// What a calculator on USB is called beside its device.
inline constexpr const char* kUsbCalculatorName = "HP 49g+/50g (USB)";

// Serial devices found on this machine, in slot order: calculators on USB
// first, then ttyUSB*, ttyACM*, then real ttyS* UARTs (those whose driver
// reports a port), each numerically.
std::vector<std::string> ScanSerialDevices(const DeviceRoots& roots = {});

// kUsbCalculatorName when the kernel says the device (a path under
// roots.dev, or a link to one) is a calculator's own USB port; empty for
// any other device.
std::string CalculatorOnDevice(const std::string& device, const DeviceRoots& roots = {});

// The device with what is behind it when that is known:
// "/dev/ttyUSB0 — HP 49g+/50g (USB)", else the device alone.
std::string DeviceLabel(const std::string& device, const DeviceRoots& roots = {});

// The device of slot n (1..4): the override if not empty, else DRAVIK_COM<n>,
// else the n-th scanned device. Empty when the slot is out of range or has
// no device.
std::string DeviceForSlot(int slot, const std::array<std::string, 4>& overrides = {});

}  // namespace dravik
