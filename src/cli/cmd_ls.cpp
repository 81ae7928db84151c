// dravik-cli ls: the calculator's current directory, directories first.
#include <cstdio>

#include "cli/calculator_session.h"
#include "cli/calculator_text.h"

namespace dravik::cli {
namespace {

int RunLs(CliContext& context, const std::vector<std::string>& args) {
  if (!args.empty()) {
    std::fprintf(stderr, "dravik-cli: ls takes no arguments (use --cd PATH)\n");
    return 2;
  }
  CalculatorSession calc(context);
  if (!calc.Connect()) return 1;
  if (!calc.ReadListing()) return CommandFailed("reading the directory");
  const ListingEntry* entry = calc.cache().Entry();
  if (!entry) return CommandFailed("reading the directory");
  for (size_t i = 0; i < entry->Names.size(); ++i)
    std::printf("%s %10s  %s\n", PadRight(Shown(entry->Names[i]), 16).c_str(),
                entry->Sizes[i].c_str(), entry->Types[i].c_str());
  return 0;
}

}  // namespace

DRAVIK_CLI_COMMAND("ls", "ls", "list the calculator directory: name, size, type", RunLs);

}  // namespace dravik::cli
