// What answers on a serial line at one speed: Dravik's first Kermit packet
// (the I packet that starts every exchange with the calculator's server)
// goes out, and whatever comes back within a wait is classified.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/serial_device.h"

namespace dravik {

enum class LineAnswer {
  Kermit,     // a valid Kermit packet: a server (or the calculator's idle NAK)
  XModemNak,  // only NAKs: an XModem receiver with the checksum (the HP48's XRECV)
  XModemCrc,  // only 'C's: an XModem receiver asking for CRC
  Garbled,    // bytes that are neither: the wrong speed, parity or line
  Silence,    // nothing at all
};

struct ProbeResult {
  DeviceError open_error = DeviceError::Ok;  // the probe ran only when Ok
  LineAnswer answer = LineAnswer::Silence;
  std::string heard;  // every byte that came back
};

// The I packet the probe sends, CR first so that a calculator which took
// noise for the start of a packet drops it.
std::string ProbePacket();

// Classifies what came back: a valid packet anywhere wins; then bytes that
// are all NAK or all 'C'; then anything at all is Garbled.
LineAnswer ClassifyAnswer(std::string_view heard);

// Opens device at baud (8 data bits, no parity, one stop bit), sends the
// probe packet up to tries times, each time listening wait_ms for an answer,
// and closes the device again. Stops at the first valid packet.
ProbeResult ProbeLine(const std::string& device, uint32_t baud, int tries, int wait_ms);

}  // namespace dravik
