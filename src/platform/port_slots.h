// The four port slots COM1..COM4 and the devices behind them.
#pragma once

#include <array>
#include <string>
#include <vector>

namespace dravik {

// Serial devices found on this machine, in slot order: ttyUSB*, ttyACM*, then
// real ttyS* UARTs (those whose driver reports a port), each numerically.
std::vector<std::string> ScanSerialDevices();

// The device of slot n (1..4): the override if not empty, else DRAVIK_COM<n>,
// else the n-th scanned device. Empty when the slot is out of range or has
// no device.
std::string DeviceForSlot(int slot, const std::array<std::string, 4>& overrides = {});

}  // namespace dravik
