// Desktop entries (the .desktop files of installed applications): how to
// start an application on one file without a shell.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace dravik {

struct DesktopEntry {
  std::string exec;       // the Exec line, as the file writes it
  bool terminal = false;  // the program runs in a terminal
};

// The [Desktop Entry] group's Exec and Terminal keys. exec is empty when
// there is none.
DesktopEntry ParseDesktopEntry(std::string_view text);

// The program and its arguments for starting exec on file: the line is split
// by the desktop-entry quoting rules, %f %F %u %U become the file as one
// argument (appended when the line has none of them), the other field codes
// go. Empty when the line cannot be split (an open quote, nothing to run).
// No shell ever sees the result, so a file name with blanks, quotes or
// semicolons stays one argument.
std::vector<std::string> DesktopExecArguments(std::string_view exec, const std::string& file);

}  // namespace dravik
