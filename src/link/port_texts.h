// What Dravik tells the user about the calculator's ports and libraries.
#pragma once

#include <string>
#include <string_view>

#include "link/calculator_model.h"

namespace dravik {

// HOME holds a variable of the temporary name, which a port transfer would
// replace.
std::string PortHomeTakenText(std::string_view calculator);

// The calculator answered "Port Not Available" (or holds the card merged
// into main memory).
std::string PortMissingText(const CalculatorModel& model, int port);

// Asked before an object in a port is replaced; name is the port's name
// for it (a library's number).
std::string PortReplaceQuestion(const CalculatorModel& model, int port, std::string_view name);

// Said in the question before port objects are deleted when one is a
// library the model must detach first; empty otherwise.
std::string PortDeleteNote(const CalculatorModel& model, std::string_view name);

// The library went into the port; the model installs it only at a warm
// start: what the user does on the calculator, in plain words.
std::string WarmStartText(const CalculatorModel& model, int number, int port);

// The library is attached: what its commands are now.
std::string LibraryAttachedText(int number, int port);

std::string LibraryNotAttachedText(const CalculatorModel& model, int number);

// Objects in a port are not moved out of it.
std::string PortObjectsStayText();

// Directories are neither made nor deleted as such in a port.
std::string PortHoldsNoDirectoriesText(std::string_view port_path);

// XModem reaches no port.
std::string PortXModemText();

}  // namespace dravik
