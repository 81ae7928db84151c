// What the port commands of dravik-cli share: "--port N" and "--replace"
// among their words, and a visit to a port that leaves the calculator where
// it was.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "cli/calculator_session.h"

namespace dravik::cli {

struct PortArguments {
  std::optional<int> port;  // --port N
  bool replace = false;     // --replace: an object the port holds is replaced
  std::vector<std::string> operands;
};

// Takes --port N and --replace (with --port only) out of args. False, after
// telling why on stderr, when they are not well formed.
bool ParsePortArguments(const CliContext& context, const char* command,
                        const std::vector<std::string>& args, PortArguments& out);

// Makes the port the calculator path commands act on, for as long as the
// object lives; afterwards the calculator goes back to the directory it
// was in. Without a port it does nothing.
class PortVisit {
 public:
  PortVisit(CalculatorSession& calc, std::optional<int> port);
  ~PortVisit();
  PortVisit(const PortVisit&) = delete;
  PortVisit& operator=(const PortVisit&) = delete;
  // False, after telling why, when the calculator could not be moved.
  bool Entered() const { return entered_; }

 private:
  CalculatorSession& calc_;
  std::string before_;
  bool visiting_ = false;
  bool entered_ = true;
};

}  // namespace dravik::cli
