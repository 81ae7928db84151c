// What dravik-cli checks about its items before it touches the line: files
// to send that are missing, unreadable or no plain files, and names the
// calculator cannot store or that other commands could not name again.
#pragma once

#include <string>
#include <vector>

namespace dravik::cli {

// Each file exists, is a regular file that opens for reading, and its name
// is a calculator name. Prints one line on stderr for each that is not.
bool FilesCanBeSent(const std::vector<std::string>& paths);

// Each is a calculator name; prints one line on stderr for each that is not.
bool AreCalculatorNames(const std::vector<std::string>& names);

}  // namespace dravik::cli
