#include "link/runner_texts.h"

namespace dravik {
namespace {

std::string Capitalised(std::string text) {
  if (!text.empty() && text[0] >= 'a' && text[0] <= 'z') text[0] = static_cast<char>(text[0] - 32);
  return text;
}

}  // namespace

std::string StartText(const CalculatorModel& model, std::string_view what) {
  return Capitalised(model.StartAction()) + " on the calculator to start the " +
         std::string(what) + ".";
}

std::string XModemMissingText(const CalculatorModel& model) {
  return "The " + std::string(model.Name) +
         " has no XModem built in: XSEND and XRECV came with the HP48G series. Use a Kermit "
         "transfer instead.";
}

std::string RunnerTakenText(std::string_view directory) {
  return std::string(kRunnerName) + " exists in " + std::string(directory) +
         ": Dravik stores the program you start on the calculator under that name. Rename or "
         "purge it first. Nothing was changed.";
}

std::string LeftServerText(const CalculatorModel& model, std::string_view what) {
  return "The " + std::string(what) +
         " did not run to its end on the calculator: it may wait at its keyboard with its "
         "server off.\nIf it does, press ATTN (ON) there, then " +
         std::string(model.ServerKeys) +
         " to start the server again. Once it answers, Dravik removes the program it left there "
         "and puts the translation mode back.";
}

}  // namespace dravik
