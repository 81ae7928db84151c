// Lets a clean-up command through after the user stopped a transfer: the
// link's cancel flag is cleared for as long as the object lives, and a stop
// that was asked for stays asked for afterwards.
#pragma once

#include "link/serial_port.h"

namespace dravik {

class CancelPause {
 public:
  explicit CancelPause(CSerialPort& link) : link_(link), was_(link.m_cancel.exchange(0)) {}
  ~CancelPause() {
    if (was_) link_.m_cancel = was_;
  }
  CancelPause(const CancelPause&) = delete;
  CancelPause& operator=(const CancelPause&) = delete;

 private:
  CSerialPort& link_;
  int was_;
};

}  // namespace dravik
