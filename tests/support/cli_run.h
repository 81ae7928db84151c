// dravik-cli run as a user runs it, for end-to-end tests: the program from
// DRAVIK_BINARY_DIR, quiet, on the given device, receiving into a folder.
#pragma once

#include <string>
#include <vector>

namespace dravik::testing {

struct CliRun {
  int status = -1;
  std::string output;  // standard output and error
  bool Says(const std::string& text) const { return output.find(text) != std::string::npos; }
};

// Runs `dravik-cli -q -C folder --device device args...` in folder.
CliRun RunCli(const std::string& device, const std::string& folder,
              const std::vector<std::string>& args);

}  // namespace dravik::testing
