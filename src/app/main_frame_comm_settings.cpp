// The Comm Settings command of CMainFrame: the line closes the port, the
// settings dialog runs, then the line takes the settings the user left and
// repeats the connection check.
#include "app/main_frame.h"

#include "app/app_context.h"
#include "app/comm_settings_dlg.h"
#include "link/connect_loop.h"

namespace dravik {

void CMainFrame::OnCommSettings() {
  // Closed, so the dialog can try every port, this one included.
  ctx_.line.Run<int>(
      "Closing the port", [](LineSide& line) { return line.kermit.CloseAll(); },
      [this](int) {
        const SettingsAnswer answer = RunCommSettingsDialog(ctx_, this);
        // OK or Exit: either way, try again with the settings as they are.
        ConnectWith(answer == SettingsAnswer::OkSetCalculator);
      });
}

void CMainFrame::ConnectWith(bool setCalculator, std::function<void(bool)> done) {
  const LinkSettings settings = ctx_.session.Settings;
  const auto devices = ctx_.session.PortDevices;
  std::shared_ptr<PacketTrace> trace = ctx_.session.Trace;
  ctx_.line.Run<int>(
      "Connecting",
      [settings, devices, trace, setCalculator](LineSide& line) {
        Session& s = line.session;
        s.Settings = settings;
        s.PortDevices = devices;
        s.Trace = trace;
        s.LinkClosedByUser = false;
        CHP48Link& link = line.kermit;
        link.CloseAll();
        if (setCalculator) {
          link.Open();
          link.SetCalculatorIO();
          link.CloseAll();
        }
        link.Open();
        // When the user gives up, the port stays closed and the program
        // runs on; the next calculator operation meets the no-response
        // handling.
        const bool connected = ConnectUntilAnswered(link);
        // The calculator answers: its replies get more time from now on.
        if (connected) link.SetTimeouts(5);
        return connected ? 1 : 0;
      },
      [this, done](int connected) {
        if (connected) ctx_.CalculatorAnswered = true;
        UpdateStatusPanes();
        if (done) done(connected != 0);
      });
}

}  // namespace dravik
