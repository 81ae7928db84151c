#include "diagnose/server_wait.h"

#include <thread>

#include "diagnose/line_probe.h"
#include "link/calculator_model.h"
#include "link/cancel_pause.h"
#include "link/hp48_commands.h"
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

int WaitForWarmStart(CHP48Link& link, std::chrono::seconds patience) {
  using Clock = std::chrono::steady_clock;
  const auto deadline = Clock::now() + patience;
  if (!link.RunCalculatorCommand(kWarmStartMark)) return 0;
  const auto pause = [&link](int tenths) {
    for (int i = 0; i < tenths && !link.m_cancel; ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
  };
  while (!link.m_cancel && !link.session().LinkClosedByUser && Clock::now() < deadline) {
    const auto left = std::chrono::duration_cast<std::chrono::seconds>(deadline - Clock::now());
    if (left.count() <= 0) break;
    // The keys pressed while the server answered part of a check: it is
    // asked again.
    if (!WaitForServer(link, left) || !link.RunCalculatorCommand("DEPTH DROP", false)) {
      pause(5);
      continue;
    }
    if (hp48::TopOfStack(link.HostReply) != kWarmStartMark) return 1;
    pause(20);  // not yet: the mark is still there
  }
  // Given up: the mark goes when the calculator still answers.
  if (!link.session().LinkClosedByUser && link.IsOpen() &&
      hp48::TopOfStack(link.HostReply) == kWarmStartMark) {
    CancelPause no_cancel(link);
    link.RunCalculatorCommand("DROP", false);
  }
  return 0;
}

}  // namespace dravik
