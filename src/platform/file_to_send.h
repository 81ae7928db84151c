// What can be checked on the PC about a file before it is sent, so that a
// file that cannot go never reaches the line.
#pragma once

#include <optional>
#include <string>

#include "hpfile/calculator_family.h"

namespace dravik {

// Why the file at path cannot be sent ("no such file", "it is a directory",
// "Permission denied", ...), or empty when it is a regular file that opens
// for reading.
std::string FileToSendProblem(const std::string& path);

// The family whose binary object header ("HPHP48-", "HPHP49-") the file
// starts with; none for text, anything else, or a file that cannot be read.
// A calculator refuses the other family's binary objects.
std::optional<CalculatorFamily> FamilyOfFile(const std::string& path);

// True when the file starts with either family's binary object header;
// anything else is text to the calculator.
bool IsCalculatorBinaryFile(const std::string& path);

// True when the file is neither family's binary object nor text (a picture,
// an archive): in ASCII mode the calculator could only refuse it. A file
// that cannot be read is not judged here.
bool IsNeitherObjectNorText(const std::string& path);

}  // namespace dravik
