// One XModem file job: the Kermit link hands the port to the XModem link for
// the transfer and takes it back afterwards, whatever the transfer's outcome.
#pragma once

#include <string>
#include <vector>

#include "link/serial_port.h"
#include "link/xmodem_link.h"

namespace dravik {

enum class XModemDirection { Send, Receive };

// Closes kermitLink, opens xmodemLink on the same port, sends the PC files of
// list (Send) or receives one transfer per calculator name into
// CurrentPCFolder (Receive), closes xmodemLink and reopens kermitLink.
// Returns the list operation's result. Does not post the job's end: the
// caller does that once the port is back with the Kermit link.
int RunXModemJob(CSerialPort& kermitLink, CXModemLink& xmodemLink, XModemDirection direction,
                 const std::vector<std::string>& list);

}  // namespace dravik
