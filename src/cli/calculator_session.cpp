#include "cli/calculator_session.h"

#include <cstdio>

#include "link/hp48_commands.h"
#include "link/hp48_listing_link.h"

namespace dravik::cli {

std::string ResolveCalculatorPath(std::string_view typed, std::string_view current) {
  std::string text(typed);
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

int Failed(const char* what) {
  std::fprintf(stderr, "dravik-cli: %s failed\n", what);
  return 1;
}

CalculatorSession::CalculatorSession(CliContext& context)
    : context_(context),
      progress_(!context.options.quiet),
      cache_(context.session) {
  Session& s = context_.session;
  const GlobalOptions& o = context_.options;
  if (o.port) s.Settings.PortNumber = o.port;
  if (!o.device.empty()) {
    if (s.Settings.PortNumber < 1 || s.Settings.PortNumber > 4) s.Settings.PortNumber = 1;
    s.PortDevices[static_cast<size_t>(s.Settings.PortNumber - 1)] = o.device;
  }
  if (o.baud) s.Settings.BaudRate = o.baud;
  s.MainWindow = &window_;
  s.ProgressWindow = &progress_;
  link_ = std::make_unique<CHP48Link>(s);
}

CalculatorSession::~CalculatorSession() {
  link_->CloseAll();
  link_.reset();
  context_.session.ProgressWindow = nullptr;
  context_.session.MainWindow = nullptr;
}

bool CalculatorSession::Connect() {
  if (!link_->Open()) {
    std::fprintf(stderr, "dravik-cli: %s\n",
                 DescribeDeviceError(link_->LastOpenError(), link_->DevicePath()).c_str());
    return false;
  }
  if (!link_->QueryCalculatorState()) {
    std::fprintf(stderr, "dravik-cli: the calculator did not answer the connection check\n");
    return false;
  }
  // Once connected the calculator has time to think between packets.
  link_->SetTimeouts(5);
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
  if (!link_->EnsureInCurrentDirectory()) {
    s.CurrentHPPath = s.HPWorkingPath;
    return false;
  }
  return true;
}

bool CalculatorSession::ReadListing() {
  HP48ListingLink listing_link(*link_);
  return cache_.ReadListing(listing_link) == 1;
}

}  // namespace dravik::cli
