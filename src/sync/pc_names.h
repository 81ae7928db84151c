// The one rule that turns calculator object names into PC file names and
// back.
//
// The calculator stores names a PC file system cannot hold ("A/B", "..",
// names differing only in case on a file system that ignores case, names
// a Windows-formatted stick refuses such as "CON" or "A?"). Such characters
// are written as '%' and two upper-case hexadecimal digits, the byte's
// value; everything else stays as it is:
//   - every byte below 32, 127 and every byte from 128 up (the calculator's
//     own characters), and each of  / \ : * ? " < > | %
//   - a '.' that begins or ends the name (so no name is "." or "..", none
//     is hidden, none loses a trailing dot on Windows)
//   - the first character of a name that a Windows file system reserves
//     for a device (CON, PRN, AUX, NUL, COM1-COM9, LPT1-LPT9, with or
//     without an extension, in any case)
//   - every lower-case letter of a name that differs from another name of
//     the same calculator directory only in case ("a" beside "A" is "%61").
// Back: every '%' followed by two hexadecimal digits is that byte; every
// other character is itself. So a PC name always names exactly one
// calculator name, and a calculator name written by the rule reads back
// unchanged. A PC name the rule produces never holds '/', is never empty,
// "." or "..", and never starts with '.', so it cannot leave its folder.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace dravik::sync {

// The PC name of one calculator name; escape_lowercase writes lower-case
// letters as escapes too (for names that differ from another only in case).
std::string PcFileName(std::string_view calculator_name, bool escape_lowercase = false);

// The PC names of one calculator directory's names, index by index, with
// the case rule applied among them.
std::vector<std::string> PcFileNames(const std::vector<std::string>& calculator_names);

// The calculator name a PC file or folder name stands for.
std::string CalculatorName(std::string_view pc_name);

// True when name can be one component of a path inside a folder: not
// empty, not "." or "..", no '/' and no NUL, at most 255 bytes.
bool IsSafeComponent(std::string_view name);

}  // namespace dravik::sync
