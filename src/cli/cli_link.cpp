#include "cli/cli_link.h"

#include <cstdio>

namespace dravik::cli {

void ApplyLinkOptions(CliContext& context) {
  Session& s = context.session;
  const GlobalOptions& o = context.options;
  if (!o.device.empty()) {
    s.PortDevices[0] = o.device;
    s.Settings.PortNumber = 1;
  } else if (o.port) {
    s.Settings.PortNumber = o.port;
  }
  if (o.baud) s.Settings.BaudRate = o.baud;
  if (o.check) s.Settings.ChecksumType = o.check;
}

int OfferedBlockCheck(const CliContext& context) {
  if (context.options.check) return context.options.check;
  const int from_file = context.session.Settings.ChecksumType;
  if (context.settings_from_file && from_file >= 1 && from_file <= 3) return from_file;
  return 3;
}

CliLink::CliLink(CliContext& context)
    : context_(context), progress_(!context.options.quiet), link_(context.session) {
  ApplyLinkOptions(context_);
  context_.session.MainWindow = &window_;
  context_.session.ProgressWindow = &progress_;
  link_.m_agreedCheck = OfferedBlockCheck(context_);
  link_.m_timeout = kTimeoutSeconds;
}

CliLink::~CliLink() {
  link_.CloseAll();
  context_.session.ProgressWindow = nullptr;
  context_.session.MainWindow = nullptr;
}

bool CliLink::Open() {
  if (link_.Open()) return true;
  std::fprintf(stderr, "dravik-cli: %s\n",
               DescribeDeviceError(link_.LastOpenError(), link_.DevicePath()).c_str());
  return false;
}

int CommandFailed(const char* what) {
  std::fprintf(stderr, "dravik-cli: %s failed\n", what);
  return 1;
}

}  // namespace dravik::cli
