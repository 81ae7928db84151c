// After a Kermit transfer in the calculator's current directory: compares
// every object that went over in binary form with what the calculator
// lists (its size and checksum), so a file garbled on a noisy line is never
// taken as delivered. A server that is not a calculator lists no checksum:
// its files are noted as not checked.
#pragma once

#include <string>
#include <vector>

#include "link/hp48_link.h"

namespace dravik {

// Checks the files of the last SendFiles (paths, in the order sent) against
// the names the calculator stored them under. A garbled object is purged on
// the calculator and reported. 1 when nothing garbled was found.
int CheckSentObjects(CHP48Link& link, const std::vector<std::string>& paths);

// Checks the files of the last ReceiveFiles. A garbled file is deleted and
// reported. 1 when nothing garbled was found.
int CheckReceivedObjects(CHP48Link& link);

}  // namespace dravik
