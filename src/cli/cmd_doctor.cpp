// dravik-cli doctor: finds out why the calculator does not answer. One line
// per finding, as it is made: "ok", "warning" or "problem", then what was
// found and what to do. Exit code 0 when no problem was found.
#include <cstdio>

#include "cli/cli_command.h"
#include "diagnose/connection_doctor.h"

namespace dravik::cli {
namespace {

int RunDoctor(CliContext& context, const std::vector<std::string>& args) {
  if (!args.empty()) {
    std::fprintf(stderr, "dravik-cli: doctor takes no arguments (use --device or --port)\n");
    return 2;
  }
  const Session& s = context.session;
  const GlobalOptions& o = context.options;
  DoctorRequest request;
  request.device = o.device;
  request.port = o.port ? o.port : s.Settings.PortNumber;
  request.port_devices = s.PortDevices;
  request.baud = o.baud ? o.baud : s.Settings.BaudRate;
  bool problem = false;
  DiagnoseConnection(request, [&](const Finding& finding) {
    problem = problem || finding.severity == Severity::Problem;
    std::printf("%-8s %s\n", SeverityWord(finding.severity), finding.text.c_str());
    std::fflush(stdout);
  });
  return problem ? 1 : 0;
}

}  // namespace

DRAVIK_CLI_COMMAND("doctor", "doctor",
                   "find out why the calculator does not answer: device, permission, line",
                   RunDoctor);

}  // namespace dravik::cli
