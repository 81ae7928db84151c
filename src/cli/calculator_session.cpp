#include "cli/calculator_session.h"

#include <algorithm>
#include <cstdio>
#include <optional>

#include "cli/calculator_text.h"
#include "link/hp48_commands.h"
#include "link/hp48_listing_link.h"
#include "listing/hp_path.h"

namespace dravik::cli {

namespace {

// ":1:NAME" -> port 1 and NAME; none for anything else.
std::optional<std::pair<int, std::string>> TaggedName(const std::string& typed) {
  const size_t close = typed.find(':', 1);
  if (typed.size() < 3 || typed.front() != ':' || close == std::string::npos) return std::nullopt;
  const std::optional<int> port = hp_path::PortOf(typed.substr(0, close + 1) + "\\");
  if (!port) return std::nullopt;
  return std::make_pair(*port, typed.substr(close + 1));
}

}  // namespace

std::vector<NamesInPlace> GroupByPlace(const std::vector<std::string>& names,
                                       const std::string& current) {
  std::vector<NamesInPlace> groups;
  for (const std::string& typed : names) {
    const auto tagged = TaggedName(typed);
    const std::string path = tagged ? hp_path::PortPath(tagged->first) : current;
    const std::string name = tagged ? tagged->second : typed;
    auto group = std::find_if(groups.begin(), groups.end(),
                              [&](const NamesInPlace& g) { return g.path == path; });
    if (group == groups.end()) group = groups.insert(groups.end(), NamesInPlace{path, {}});
    group->names.push_back(name);
  }
  return groups;
}

bool NamesAPort(const std::vector<std::string>& names) {
  return std::any_of(names.begin(), names.end(),
                     [](const std::string& n) { return TaggedName(n).has_value(); });
}

std::string ResolveCalculatorPath(std::string_view typed, std::string_view current) {
  std::string text = Typed(typed);
  // A port: ":1:" (a backslash after it may be typed too).
  if (!text.empty() && text.back() == '\\') text.pop_back();
  if (hp_path::IsPort(text + "\\")) return text + "\\";
  for (char& c : text)
    if (c == '/') c = '\\';
  std::string path;
  if (text == "HOME" || text.rfind("HOME\\", 0) == 0) {
    path = "HOME\\";
    text.erase(0, 4);
  } else {
    path = current;
  }
  size_t at = 0;
  while (at < text.size()) {
    size_t end = text.find('\\', at);
    if (end == std::string::npos) end = text.size();
    std::string name = text.substr(at, end - at);
    at = end + 1;
    if (name.empty() || name == ".") continue;
    if (hp_path::IsPort(path)) return {};  // a port has no levels
    if (name == "..") {
      if (path == "HOME\\") return {};
      path.pop_back();
      path.erase(path.find_last_of('\\') + 1);
      continue;
    }
    if (!hp48::IsPlainName(name)) return {};
    path += name + "\\";
  }
  return path;
}

CalculatorSession::CalculatorSession(CliContext& context)
    : context_(context), cli_(context), cache_(context.session) {}

CalculatorSession::~CalculatorSession() = default;

bool CalculatorSession::Connect() {
  if (!cli_.Open()) return false;
  if (!link().QueryCalculatorState()) {
    std::fprintf(stderr, "dravik-cli: the calculator did not answer the connection check\n");
    return false;
  }
  // Once connected the calculator has time to think between packets.
  link().SetTimeouts(CliLink::kTimeoutSeconds);
  if (!context_.options.cd.empty() && !ChangeTo(context_.options.cd)) return false;
  return true;
}

bool CalculatorSession::ChangeTo(std::string_view typed) {
  Session& s = context_.session;
  std::string path = ResolveCalculatorPath(typed, s.CurrentHPPath);
  if (path.empty()) {
    std::fprintf(stderr, "dravik-cli: not a calculator path: %.*s\n",
                 static_cast<int>(typed.size()), typed.data());
    return false;
  }
  s.CurrentHPPath = path;
  if (!link().EnsureInCurrentDirectory()) {
    s.CurrentHPPath = s.HPWorkingPath;
    return false;
  }
  return true;
}

bool CalculatorSession::ReadListing() {
  HP48ListingLink listing_link(link());
  return cache_.ReadListing(listing_link) == 1;
}

}  // namespace dravik::cli
