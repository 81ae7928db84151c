// What the calculator commands of dravik-cli share: open the Kermit link as
// the options say, run the connection check, and go to the directory of
// --cd first.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "cli/cli_command.h"
#include "cli/cli_link.h"
#include "listing/listing_cache.h"
#include "link/hp48_link.h"

namespace dravik::cli {

class CalculatorSession {
 public:
  explicit CalculatorSession(CliContext& context);
  ~CalculatorSession();
  CalculatorSession(const CalculatorSession&) = delete;
  CalculatorSession& operator=(const CalculatorSession&) = delete;

  // Opens the port, runs the connection check and, with --cd, moves the
  // calculator there. False (after telling why on stderr) when any step
  // failed.
  bool Connect();
  // Opens the port alone (no connection check, no --cd).
  bool OpenPort() { return cli_.Open(); }
  // Makes path the current directory and moves the calculator there,
  // checking that it arrived.
  bool ChangeTo(std::string_view path);
  // Reads the listing of the current directory into cache().
  bool ReadListing();

  CHP48Link& link() { return cli_.link(); }
  ConsoleWindow& window() { return cli_.window(); }
  Session& session() { return context_.session; }
  ListingCache& cache() { return cache_; }

 private:
  CliContext& context_;
  CliLink cli_;
  ListingCache cache_;
};

// A calculator path from what a user types: "HOME\GAMES\", "HOME/GAMES",
// "GAMES" (inside current), ".." (the parent of current), a port ":1:", its
// names in either typed form (Typed). Empty when the text cannot be a path.
std::string ResolveCalculatorPath(std::string_view typed, std::string_view current);

// Calculator names as typed, by where they are: ":1:NAME" in port 1,
// anything else in current. The places in the order first named.
struct NamesInPlace {
  std::string path;
  std::vector<std::string> names;
};
std::vector<NamesInPlace> GroupByPlace(const std::vector<std::string>& names,
                                       const std::string& current);
// True when any of the typed names is a port object.
bool NamesAPort(const std::vector<std::string>& names);


}  // namespace dravik::cli
