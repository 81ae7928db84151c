// dravik-cli rm NAME... and rmdir NAME: deleting calculator objects.
#include <algorithm>
#include <cstdio>

#include "cli/calculator_session.h"
#include "cli/calculator_text.h"
#include "cli/port_arguments.h"
#include "link/port_texts.h"
#include "listing/hp_path.h"
#include "link/hp48_commands.h"
#include "listing/listing_parser.h"

namespace dravik::cli {
namespace {

bool AllNames(const std::vector<std::string>& names) {
  for (const std::string& name : names) {
    if (!hp48::IsCalculatorName(name)) {
      std::fprintf(stderr, "dravik-cli: not a calculator name: %s (%s)\n", Shown(name).c_str(),
                   hp48::NameProblem(name).c_str());
      return false;
    }
  }
  return true;
}

// Takes a leading --force: the questions of the command (the calculator's
// own names, as the HP49's CASDIR) are answered yes.
bool TakeForce(const CliContext& context, std::vector<std::string>& args) {
  if (!IsOptionWord(context, args, 0, "--force")) return false;
  args.erase(args.begin());
  return true;
}

// The type word the current directory's listing gives name; empty when the
// name is not there.
std::string ListedType(CalculatorSession& calc, const std::string& name) {
  const ListingEntry* entry = calc.cache().Entry();
  if (!entry) return {};
  for (size_t i = 0; i < entry->Names.size(); ++i)
    if (entry->Names[i] == name) return i < entry->Types.size() ? entry->Types[i] : "?";
  return {};
}

void Declined(CalculatorSession& calc, const char* command) {
  if (calc.window().questions_declined() > 0)
    std::fprintf(stderr, "dravik-cli: nothing was deleted; %s --force deletes it\n", command);
}

// Deletes the names in the directory or port the session shows; missing
// is set for a name that is not there. 0, or the exit code of a failure.
int RemoveIn(CalculatorSession& calc, const std::vector<std::string>& names, bool& missing) {
  // The calculator purges a missing name without a word: the listing says
  // which names are there.
  if (!calc.ReadListing()) return CommandFailed("reading the directory");
  std::vector<std::string> present;
  for (const std::string& name : names) {
    if (calc.cache().IsNewName(name)) {
      std::fprintf(stderr, "dravik-cli: %s is not in %s\n", Shown(name).c_str(),
                   Shown(calc.session().CurrentHPPath).c_str());
      missing = true;
    } else if (std::find(present.begin(), present.end(), name) == present.end()) {
      present.push_back(name);
      const std::string note = PortDeleteNote(calc.link().model(), name);
      if (hp_path::IsPort(calc.session().CurrentHPPath) && !note.empty())
        std::fprintf(stderr, "dravik-cli: %s\n", ShownMessage(note).c_str());
    }
  }
  if (!present.empty() && !calc.link().PurgeNames(present)) {
    Declined(calc, "rm");
    return CommandFailed("rm");
  }
  return 0;
}

int RunRm(CliContext& context, const std::vector<std::string>& arguments) {
  std::vector<std::string> args = Typed(arguments);
  const bool force = TakeForce(context, args);
  if (args.empty()) {
    std::fprintf(stderr, "dravik-cli: rm needs at least one name\n");
    return 2;
  }
  CalculatorSession calc(context);
  const std::vector<NamesInPlace> places = GroupByPlace(args, context.session.CurrentHPPath);
  for (const NamesInPlace& place : places)
    if (!AllNames(place.names)) return 2;
  if (!calc.Connect()) return 1;
  calc.window().AnswerQuestionsYes(force);
  bool missing = false;
  for (NamesInPlace place : places) {
    // A place named before the connection check is where it found the
    // calculator.
    if (!hp_path::IsPort(place.path)) place.path = calc.session().CurrentHPPath;
    PortVisit visit(calc, hp_path::PortOf(place.path));
    if (!visit.Entered()) return CommandFailed("rm");
    const int result = RemoveIn(calc, place.names, missing);
    if (result != 0) return result;
  }
  return missing ? 1 : 0;
}

int RunRmdir(CliContext& context, const std::vector<std::string>& arguments) {
  std::vector<std::string> args = Typed(arguments);
  const bool force = TakeForce(context, args);
  if (args.size() != 1) {
    std::fprintf(stderr, "dravik-cli: rmdir takes one directory name\n");
    return 2;
  }
  if (!AllNames(args)) return 2;
  const std::string& name = args[0];
  CalculatorSession calc(context);
  if (!calc.Connect()) return 1;
  calc.window().AnswerQuestionsYes(force);
  // The calculator answers a missing directory, or a name that holds no
  // directory, without an error: the listing says what is there, before
  // and after.
  const std::string here = calc.session().CurrentHPPath;
  if (!calc.ReadListing()) return CommandFailed("reading the directory");
  const std::string type = ListedType(calc, name);
  if (type.empty()) {
    std::fprintf(stderr, "dravik-cli: %s is not in %s (the directory the calculator is in)\n",
                 Shown(name).c_str(), Shown(here).c_str());
    return 1;
  }
  if (!IsDirectoryType(type)) {
    std::fprintf(stderr, "dravik-cli: %s in %s is no directory but a %s; rm deletes it\n",
                 Shown(name).c_str(), Shown(here).c_str(), type.c_str());
    return 1;
  }
  if (!calc.link().PurgeDirectory("'" + name + "'")) {
    Declined(calc, "rmdir");
    return CommandFailed("rmdir");
  }
  calc.cache().MarkStale();
  if (!calc.ReadListing()) return CommandFailed("reading the directory");
  if (!ListedType(calc, name).empty()) {
    std::fprintf(stderr, "dravik-cli: %s is still in %s\n", Shown(name).c_str(),
                 Shown(here).c_str());
    return 1;
  }
  return 0;
}

}  // namespace

DRAVIK_CLI_COMMAND("rm", "rm [--force] NAME|:N:NAME...",
                   "delete calculator objects (:N:NAME in port N)", RunRm);
DRAVIK_CLI_COMMAND("rmdir", "rmdir [--force] NAME",
                   "delete a calculator directory with its contents", RunRmdir);

}  // namespace dravik::cli
