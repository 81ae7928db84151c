// dravik-cli ls [PATH]: a calculator directory (the current one) or a port
// (":0:"), directories first; a library in a port with its title.
#include <cstdio>

#include "cli/calculator_session.h"
#include "cli/calculator_text.h"
#include "cli/listing_output.h"
#include "sync/calculator_tree.h"

namespace dravik::cli {
namespace {

int RunLs(CliContext& context, const std::vector<std::string>& args) {
  if (args.size() > 1) {
    std::fprintf(stderr, "dravik-cli: ls takes at most one path (a directory or a port such as :0:)\n");
    return 2;
  }
  CalculatorSession calc(context);
  if (!calc.Connect()) return 1;
  const std::string before = calc.session().CurrentHPPath;
  if (!args.empty() && !calc.ChangeTo(args[0])) return 1;
  const bool read = calc.ReadListing();
  const ListingEntry* entry = calc.cache().Entry();
  if (read && entry) PrintListing(*entry);
  // The calculator stays where it was.
  sync::ReturnTo(calc.link(), before);
  return read && entry ? 0 : CommandFailed("reading the directory");
}

}  // namespace

DRAVIK_CLI_COMMAND("ls", "ls [PATH|:N:]",
                   "list a calculator directory or port: name, size, type (a library's title)",
                   RunLs);

}  // namespace dravik::cli
