#include "cli/item_checks.h"

#include <cstdio>

#include "cli/calculator_text.h"
#include "link/hp48_commands.h"
#include "platform/file_to_send.h"

namespace dravik::cli {

bool FilesCanBeSent(const std::vector<std::string>& paths) {
  bool all = true;
  for (const std::string& path : paths) {
    // The calculator stores the file under its name.
    const std::string name = path.substr(path.find_last_of('/') + 1);
    std::string problem = FileToSendProblem(path);
    if (problem.empty() && !hp48::IsCalculatorName(name))
      problem = "\"" + name + "\" cannot be a calculator name (" + hp48::NameProblem(name) + ")";
    if (problem.empty()) continue;
    std::fprintf(stderr, "dravik-cli: cannot send %s: %s\n", path.c_str(), problem.c_str());
    all = false;
  }
  return all;
}

bool AreCalculatorNames(const std::vector<std::string>& names) {
  bool all = true;
  for (const std::string& name : names) {
    if (hp48::IsCalculatorName(name)) continue;
    std::fprintf(stderr, "dravik-cli: not a calculator name: %s (%s)\n", Shown(name).c_str(),
                 hp48::NameProblem(name).c_str());
    all = false;
  }
  return all;
}

}  // namespace dravik::cli
