// What Dravik tells the user about the programs it leaves on the calculator
// for an archive or an XModem job: how to start them, and what to do when
// one never ran.
#pragma once

#include <string>
#include <string_view>

#include "link/calculator_model.h"

namespace dravik {

// "Press EVAL on the calculator to start the transfer." (what: "transfer",
// "backup").
std::string StartText(const CalculatorModel& model, std::string_view what);

// Why an XModem job cannot run on the model.
std::string XModemMissingText(const CalculatorModel& model);

// Why a runner cannot be stored in the directory: kRunnerName is taken.
std::string RunnerTakenText(std::string_view directory);

// The program left for the calculator did not run to its end (what:
// "transfer", "backup"): the calculator may wait at its keyboard with its
// server off. Says what to do there, and that Dravik puts back what it
// changed once the server answers.
std::string LeftServerText(const CalculatorModel& model, std::string_view what);

}  // namespace dravik
