#include "cli_run.h"

#include <cstdlib>

#include "child_program.h"

namespace dravik::testing {

CliRun RunCli(const std::string& device, const std::string& folder,
              const std::vector<std::string>& args) {
  const char* bin = std::getenv("DRAVIK_BINARY_DIR");
  std::vector<std::string> argv = {std::string(bin ? bin : ".") + "/dravik-cli", "-q", "-C",
                                   folder, "--device", device};
  argv.insert(argv.end(), args.begin(), args.end());
  CliRun run;
  run.status = RunProgram(argv, folder, 120000, &run.output);
  return run;
}

}  // namespace dravik::testing
