// The Kermit link of one dravik-cli command: the session's settings from the
// global options, the console as the link's window, and an open port - or a
// sentence on stderr that says why the port could not be opened.
#pragma once

#include "cli/cli_command.h"
#include "cli/console_boundary.h"
#include "cli/interrupt.h"
#include "link/hp48_link.h"

namespace dravik::cli {

// --device PATH becomes port slot 1 with that device; otherwise --port picks
// the slot. --baud sets the line speed, --check the block check we offer.
void ApplyLinkOptions(CliContext& context);

// The block check offered to the server: --check, else the settings file's,
// else 3 (a CRC: a damaged packet slips through about once in 65536 times,
// against once in 64 with type 1). A peer that cannot do it answers with
// its own type, which is then used.
int OfferedBlockCheck(const CliContext& context);

class CliLink {
 public:
  // Read time-out once connected, as the application uses.
  static constexpr int kTimeoutSeconds = 5;

  explicit CliLink(CliContext& context);
  ~CliLink();
  CliLink(const CliLink&) = delete;
  CliLink& operator=(const CliLink&) = delete;

  // Opens the port. On failure explains why on stderr and returns false.
  bool Open();
  CHP48Link& link() { return link_; }
  ConsoleWindow& window() { return window_; }

 private:
  CliContext& context_;
  ConsoleWindow window_;
  ConsoleProgress progress_;
  CHP48Link link_;
  InterruptTarget interrupt_{link_.m_cancel};  // Ctrl+C cancels this link
};

// Prints "dravik-cli: <what> failed" on stderr and returns the exit code 1.
int CommandFailed(const char* what);

}  // namespace dravik::cli
