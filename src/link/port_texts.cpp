#include "link/port_texts.h"

#include "link/port_commands.h"

namespace dravik {
namespace {

std::string Number(int n) { return std::to_string(n); }

// "library 1234" for a library's number, else the name.
std::string Named(std::string_view name) {
  return hp48::IsLibraryNumber(name) ? "library " + std::string(name) : std::string(name);
}

}  // namespace

std::string PortHomeTakenText(std::string_view calculator) {
  return "HOME on the " + std::string(calculator) + " holds a variable " +
         std::string(hp48::kTemporaryName) +
         ". Dravik passes port objects through a variable of that name and would replace it: "
         "rename or purge it first. Nothing was changed.";
}

std::string PortMissingText(const CalculatorModel& model, int port) {
  const PortSlot* slot = model.FindPort(port);
  std::string text = "The " + std::string(model.Name) + " has no port " + Number(port) +
                     " (Port Not Available)";
  if (slot && slot->needsCard)
    text += ": port " + Number(port) +
            " is a RAM card, and none is plugged in, or it is merged into main memory";
  return text + ".";
}

std::string PortReplaceQuestion(const CalculatorModel& model, int port, std::string_view name) {
  std::string text = "Port " + Number(port) + " already holds " + Named(name) +
                     " (the calculator answers Object In Use).\n\nReplace it?";
  const std::string note = PortDeleteNote(model, name);
  if (!note.empty()) text += " " + note;
  return text;
}

std::string PortDeleteNote(const CalculatorModel& model, std::string_view name) {
  if (!model.PurgeNeedsDetach || !hp48::IsLibraryNumber(name)) return {};
  return "The " + std::string(model.FamilyName()) + " cannot delete an attached library: " +
         Named(name) + " is detached first.";
}

std::string WarmStartText(const CalculatorModel& model, int number, int port) {
  return "Library " + Number(number) + " is stored in port " + Number(port) + ". The " +
         std::string(model.FamilyName()) +
         " installs a library only when it starts again:\n"
         "1. On the calculator, " + std::string(model.WarmStartKeys) + ".\n"
         "2. Start its server again: " + std::string(model.ServerKeys) + ".\n"
         "Dravik waits for the server and then attaches the library.";
}

std::string LibraryAttachedText(int number, int port) {
  return "Library " + Number(number) + " is installed in port " + Number(port) +
         " and attached to HOME: its commands work in every directory.";
}

std::string LibraryNotAttachedText(const CalculatorModel& model, int number) {
  return "The " + std::string(model.FamilyName()) + " did not attach library " + Number(number) +
         ": LIBS does not list it." +
         (model.AttachNeedsWarmStart ? " A library is attached only after a warm start." : "");
}

std::string PortObjectsStayText() {
  return "Objects in a port are received on the PC or deleted there; Dravik does not move them "
         "into a directory or another port.";
}

std::string PortHoldsNoDirectoriesText(std::string_view port_path) {
  return "A port holds objects, not directories: " + std::string(port_path.substr(0, port_path.size() - 1)) +
         " has no directory to make or to delete as such (a directory stored there is deleted "
         "as an object).";
}

std::string PortXModemText() {
  return "XModem reaches no port: objects go into and out of a port by Kermit.";
}

}  // namespace dravik
