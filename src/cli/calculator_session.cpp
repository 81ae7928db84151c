#include "cli/calculator_session.h"

#include <cstdio>

#include "cli/calculator_text.h"
#include "link/hp48_commands.h"
#include "link/hp48_listing_link.h"

namespace dravik::cli {

std::string ResolveCalculatorPath(std::string_view typed, std::string_view current) {
  std::string text = Typed(typed);
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
