#include "cli/port_arguments.h"

#include <charconv>
#include <cstdio>

#include "listing/hp_path.h"
#include "sync/calculator_tree.h"

namespace dravik::cli {

bool ParsePortArguments(const CliContext& context, const char* command,
                        const std::vector<std::string>& args, PortArguments& out) {
  for (size_t i = 0; i < args.size(); ++i) {
    if (IsOptionWord(context, args, i, "--replace")) {
      out.replace = true;
    } else if (IsOptionWord(context, args, i, "--port")) {
      int port = -1;
      const std::string value = i + 1 < args.size() ? args[++i] : std::string();
      const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), port);
      if (error != std::errc() || end != value.data() + value.size() || port < 0 || port > 99) {
        std::fprintf(stderr, "dravik-cli: %s --port takes a port number (0, 1, 2, ...)\n",
                     command);
        return false;
      }
      out.port = port;
    } else {
      out.operands.push_back(args[i]);
    }
  }
  if (out.replace && !out.port) {
    std::fprintf(stderr, "dravik-cli: %s --replace goes with --port\n", command);
    return false;
  }
  return true;
}

PortVisit::PortVisit(CalculatorSession& calc, std::optional<int> port)
    : calc_(calc), before_(calc.session().CurrentHPPath) {
  if (!port) return;
  visiting_ = true;
  Session& session = calc_.session();
  session.CurrentHPPath = hp_path::PortPath(*port);
  entered_ = calc_.link().EnsureInCurrentDirectory() != 0;
}

PortVisit::~PortVisit() {
  if (!visiting_) return;
  // The next command starts where the user was.
  sync::ReturnTo(calc_.link(), before_);
}

}  // namespace dravik::cli
