#include "cli/cli_command.h"

#include <algorithm>
#include <cstring>

namespace dravik::cli {
namespace {
std::vector<CliCommand>& Table() {
  static std::vector<CliCommand> table;
  return table;
}
}  // namespace

void RegisterCommand(const CliCommand& command) { Table().push_back(command); }

const CliCommand* FindCommand(const std::string& name) {
  for (const CliCommand& c : Table())
    if (name == c.name) return &c;
  return nullptr;
}

bool IsOptionWord(const CliContext& context, const std::vector<std::string>& args, size_t index,
                  const char* name) {
  return index < args.size() && index < context.operands_from && args[index] == name;
}

std::vector<CliCommand> AllCommands() {
  std::vector<CliCommand> all = Table();
  std::sort(all.begin(), all.end(),
            [](const CliCommand& a, const CliCommand& b) { return std::strcmp(a.name, b.name) < 0; });
  return all;
}

}  // namespace dravik::cli
