// Waiting for the calculator's server to answer again, without a message
// box for every silence: after a restore the calculator restarts at its
// keyboard, and answers only once the user has started its server.
#pragma once

#include <chrono>
#include <string_view>

#include "link/hp48_link.h"

namespace dravik {

// Closes the link's port and probes the line about once a second until a
// Kermit server answers, the user stops it (the link's cancel flag) or
// patience runs out; then opens the port again and runs the connection
// check. 1 when the calculator answered it.
int WaitForServer(CHP48Link& link, std::chrono::seconds patience);

// The same after the user was asked to warm-start the calculator (ON+C on
// an HP48, which stops the server): a server that still answers has not
// been warm-started yet. A mark left on the calculator's stack (it reads
// kWarmStartMark there meanwhile) tells: the warm start clears the stack.
// 1 once the mark is gone and the connection check has run.
int WaitForWarmStart(CHP48Link& link, std::chrono::seconds patience);

inline constexpr std::string_view kWarmStartMark = "\"Press ON and C\"";

}  // namespace dravik
