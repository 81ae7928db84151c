// Waiting for the calculator's server to answer again, without a message
// box for every silence: after a restore the calculator restarts at its
// keyboard, and answers only once the user has started its server.
#pragma once

#include <chrono>

#include "link/hp48_link.h"

namespace dravik {

// Closes the link's port and probes the line about once a second until a
// Kermit server answers, the user stops it (the link's cancel flag) or
// patience runs out; then opens the port again and runs the connection
// check. 1 when the calculator answered it.
int WaitForServer(CHP48Link& link, std::chrono::seconds patience);

}  // namespace dravik
