#include "cli/server_return.h"

#include <chrono>
#include <cstdio>

#include "cli/interrupt.h"
#include "diagnose/server_wait.h"

namespace dravik::cli {
namespace {

// Long enough to find the calculator and type on it.
constexpr std::chrono::minutes kPatience{5};

}  // namespace

bool AwaitServerReturn(CalculatorSession& calc, const std::string& why, bool warm_start) {
  std::fprintf(stderr, "%s\nWaiting for the calculator's server (Ctrl+C gives up) ...\n",
               why.c_str());
  CHP48Link& link = calc.link();
  link.m_cancel = 0;
  InterruptTarget interrupt(link.m_cancel);
  if (warm_start ? WaitForWarmStart(link, kPatience) : WaitForServer(link, kPatience)) {
    std::fprintf(stderr, "The calculator answers again.\n");
    return true;
  }
  std::fprintf(stderr, "dravik-cli: the calculator's server did not answer%s\n",
               Interrupted() ? "" : " within 5 minutes");
  return false;
}

}  // namespace dravik::cli
