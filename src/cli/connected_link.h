// The link of the Kermit file and server commands (send, get, dir, host):
// the port opened as the options say and, with --cd, the calculator moved
// to that directory first. Moving needs the connection check, which only a
// calculator answers; without --cd any Kermit server will do.
#pragma once

#include "cli/calculator_session.h"
#include "cli/cli_command.h"

namespace dravik::cli {

class ConnectedLink {
 public:
  explicit ConnectedLink(CliContext& context) : context_(context), session_(context) {}

  // False, after telling why on stderr, when the port cannot be opened or
  // the calculator cannot be moved to the directory of --cd. A command on
  // the calculator's ports needs the connection check (calculator).
  bool Connect(bool calculator = false) {
    return context_.options.cd.empty() && !calculator ? session_.OpenPort() : session_.Connect();
  }
  CHP48Link& link() { return session_.link(); }
  CalculatorSession& calculator() { return session_; }

 private:
  CliContext& context_;
  CalculatorSession session_;
};

}  // namespace dravik::cli
