// The calculator's XModem commands on the simulated line: XSEND (sender) and
// XRECV (receiver), 128-byte blocks with the arithmetic checksum only.
#pragma once

#include <chrono>
#include <functional>

#include "calculator.h"
#include "sim_line.h"

namespace dravik::sim {

// Waits of the real calculator; tests shrink them with Scaled().
struct XModemTiming {
  std::chrono::milliseconds first_nak{250};      // XRECV: from start to the first NAK
  std::chrono::milliseconds nak_interval{2500};  // XRECV: between start NAKs
  int start_naks = 10;                           // XRECV: NAKs before CAN CAN CAN
  std::chrono::milliseconds start_wait{60000};   // XSEND: wait for the receiver's NAK
  std::chrono::milliseconds reply_wait{10000};   // wait for an answer to a block or EOT
  std::chrono::milliseconds byte_wait{1000};     // within a block
  int max_errors = 10;                           // bad blocks or NAKs in a row

  XModemTiming Scaled(double factor) const;
};

// Sends one object. Empty result on success, else "Timeout" (no receiver)
// or "Transfer Failed".
// waiting, when given, is called once the line is cleared and the sender
// listens for the receiver's first NAK.
std::string XModemSend(SimLine& line, const Bytes& data, const XModemTiming& timing,
                       const std::function<void()>& waiting = {});

// Receives one transfer; data gets the whole blocks. Empty result on
// success, else "Transfer Failed".
std::string XModemReceive(SimLine& line, Bytes& data, const XModemTiming& timing);

}  // namespace dravik::sim
