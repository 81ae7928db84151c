// The calculator's XModem commands on the simulated line: XSEND (sender)
// and XRECV (receiver). A 48 uses 128-byte blocks with the arithmetic
// checksum only; a 49 also answers a 'D' with CRC-16 blocks, starts a
// long file with a 1024-byte block and asks for CRC blocks first
// (XModemStyle, sim_model.h).
#pragma once

#include <array>
#include <chrono>
#include <functional>

#include "calculator.h"
#include "sim_line.h"
#include "sim_model.h"

namespace dravik::sim {

// Waits of the real calculator; tests shrink them with Scaled().
struct XModemTiming {
  std::chrono::milliseconds first_nak{250};      // XRECV: from start to the first NAK
  std::chrono::milliseconds nak_interval{2500};  // XRECV: between start NAKs
  int start_naks = 10;                           // XRECV: NAKs before CAN CAN CAN
  // XRECV on a model that asks for CRC blocks: its 'D's, from the start.
  std::array<std::chrono::milliseconds, 4> crc_requests{};
  int crc_request_count = 0;
  std::chrono::milliseconds start_wait{60000};   // XSEND: wait for the receiver's NAK
  std::chrono::milliseconds reply_wait{10000};   // wait for an answer to a block or EOT
  std::chrono::milliseconds byte_wait{1000};     // within a block
  int max_errors = 10;                           // bad blocks or NAKs in a row

  // The waits of a model (its XRECV start).
  static XModemTiming ForStyle(const XModemStyle& style);
  XModemTiming Scaled(double factor) const;
};

// Sends one object. fill is what follows the data in the last block (zero
// bytes when it runs out). Empty result on success, else "Timeout" (no
// receiver) or "Transfer Failed".
// waiting, when given, is called once the line is cleared and the sender
// listens for the receiver's first NAK.
std::string XModemSend(SimLine& line, const Bytes& data, const Bytes& fill,
                       const XModemTiming& timing, const XModemStyle& style,
                       const std::function<void()>& waiting = {});
// A 48's XSEND: checksum blocks of 128 bytes filled with zero bytes.
inline std::string XModemSend(SimLine& line, const Bytes& data, const XModemTiming& timing,
                              const std::function<void()>& waiting = {}) {
  return XModemSend(line, data, {}, timing, XModemStyle{}, waiting);
}

// Receives one transfer; data gets the whole blocks. Empty result on
// success, else "Transfer Failed".
std::string XModemReceive(SimLine& line, Bytes& data, const XModemTiming& timing,
                          const XModemStyle& style = {});

}  // namespace dravik::sim
