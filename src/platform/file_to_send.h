// What can be checked on the PC about a file before it is sent, so that a
// file that cannot go never reaches the line.
#pragma once

#include <string>

namespace dravik {

// Why the file at path cannot be sent ("no such file", "it is a directory",
// "Permission denied", ...), or empty when it is a regular file that opens
// for reading.
std::string FileToSendProblem(const std::string& path);

// True when the file starts with the calculator's binary object header
// "HPHP48-"; anything else is text to the calculator.
bool IsCalculatorBinaryFile(const std::string& path);

}  // namespace dravik
