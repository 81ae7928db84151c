#include "diagnose/server_wait.h"

#include <thread>

#include "diagnose/line_probe.h"
#include "link/calculator_model.h"
#include "platform/port_slots.h"

namespace dravik {

int WaitForServer(CHP48Link& link, std::chrono::seconds patience) {
  using Clock = std::chrono::steady_clock;
  Session& session = link.session();
  const LinkSettings& settings = session.Settings;
  const std::string device = DeviceForSlot(settings.PortNumber, session.PortDevices);
  if (device.empty()) return 0;
  link.CloseAll();
  const auto deadline = Clock::now() + patience;
  bool answered = false;
  while (!answered && !link.m_cancel && Clock::now() < deadline) {
    const ProbeResult probe = ProbeLine(device, settings.BaudRate, 1, 1000);
    answered = probe.answer == LineAnswer::Kermit;
    // A device that is gone, or busy for a moment, is tried again.
    if (!answered && probe.open_error != DeviceError::Ok)
      std::this_thread::sleep_for(std::chrono::milliseconds(500));
  }
  if (!answered) return 0;
  // The server that answered our probe goes back to its idle state first.
  std::this_thread::sleep_for(std::chrono::milliseconds(link.model().SettleMs * 2));
  session.LinkClosedByUser = false;
  if (!link.Open()) return 0;
  return link.QueryCalculatorState();
}

}  // namespace dravik
