#include "diagnose/calculator_identity.h"

#include "link/calculator_model.h"
#include "link/hp48_link.h"

namespace dravik {

Finding IdentifyCalculator(const std::string& device, uint32_t baud) {
  Session session;
  session.Settings.PortNumber = 1;
  session.Settings.BaudRate = baud;
  session.PortDevices[0] = device;
  CHP48Link link(session);
  if (!link.Open() || !link.QueryCalculatorState())
    return {Severity::Warning,
            "The Kermit server on " + device +
                " does not answer the connection check as a calculator does: it may be another "
                "Kermit program, or a calculator busy with something else."};
  if (link.model().Family == CalculatorFamily::Hp48) link.ReadDirectory();
  const CalculatorModel& model = link.model();
  link.CloseAll();
  return {Severity::Ok, "The calculator answers as an " + std::string(model.Name) + " (the " +
                            std::string(model.Covers) + " answer alike)."};
}

}  // namespace dravik
