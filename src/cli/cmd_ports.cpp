// dravik-cli ports: each port the calculator has, its free memory and what
// it holds.
#include <cstdio>

#include "cli/calculator_session.h"
#include "cli/calculator_text.h"
#include "cli/listing_output.h"
#include "link/calculator_model.h"
#include "listing/hp_path.h"
#include "sync/calculator_tree.h"

namespace dravik::cli {
namespace {

int RunPorts(CliContext& context, const std::vector<std::string>& args) {
  if (!args.empty()) {
    std::fprintf(stderr, "dravik-cli: ports takes no arguments (ls :N: lists one port)\n");
    return 2;
  }
  CalculatorSession calc(context);
  if (!calc.Connect()) return 1;
  const std::string before = calc.session().CurrentHPPath;
  std::vector<CHP48Link::PortSummary> ports;
  bool ok = calc.link().ReadPorts(ports) != 0;
  if (ok && ports.empty()) std::printf("The calculator has no port.\n");
  for (const CHP48Link::PortSummary& port : ports) {
    const PortSlot* slot = calc.link().model().FindPort(port.number);
    std::printf(":%d:  %s bytes free, %zu object%s%s%s\n", port.number,
                port.free.c_str(), port.names.size(), port.names.size() == 1 ? "" : "s",
                slot && !slot->note.empty() ? "; " : "",
                slot ? std::string(slot->note).c_str() : "");
    if (port.names.empty()) continue;
    calc.session().CurrentHPPath = hp_path::PortPath(port.number);
    const bool read = calc.ReadListing();
    const ListingEntry* entry = calc.cache().Entry();
    if (read && entry) PrintListing(*entry);
    ok = ok && read;
  }
  sync::ReturnTo(calc.link(), before);
  return ok ? 0 : CommandFailed("reading the ports");
}

}  // namespace

DRAVIK_CLI_COMMAND("ports", "ports",
                   "list the calculator's ports: free memory and what each holds", RunPorts);

}  // namespace dravik::cli
