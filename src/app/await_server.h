// The calculator has left its server: it restarted after a restore, or it
// waits at its keyboard for a program the user never started (an archive or
// an XModem job). The window says what to do there and waits for the server
// on the line, Stop-able, without blocking; once it answers, the connection
// check puts back what a job left on the calculator.
#pragma once

#include <functional>
#include <string>

namespace dravik {

struct AppContext;

// Shows why (a message box) and waits; then(answered) runs on the GUI thread
// once the server answered or the wait ended. warmStart: the user was asked
// to warm-start the calculator, and a server that answers before that has
// not done it yet (WaitForWarmStart).
void AwaitServer(AppContext& ctx, const std::string& why, std::function<void(bool)> then = {},
                 bool warmStart = false);

}  // namespace dravik
