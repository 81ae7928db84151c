// After a command that leaves the calculator out of its server (a restore,
// an archive or XModem job the user did not start on the calculator):
// dravik-cli says so, waits for the server to answer again and puts back
// what the job changed there.
#pragma once

#include <string>

#include "cli/calculator_session.h"

namespace dravik::cli {

// Prints why (a line or more) and what to do, then waits for the server,
// bounded and ended by Ctrl+C. True when it answered again (and what the
// job left was put back). warm_start: the user was asked to warm-start the
// calculator, and a server that answers before that has not done it yet.
bool AwaitServerReturn(CalculatorSession& calc, const std::string& why, bool warm_start = false);

}  // namespace dravik::cli
