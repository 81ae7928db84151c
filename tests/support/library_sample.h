// The library the references captured (library_1234.bin): library 1234
// "PCTEST: ports test", one command HELLO whose object is the string
// "Hello". The same object on both families, behind each one's header.
#pragma once

#include <cstdint>
#include <vector>

namespace dravik::testing {

std::vector<uint8_t> LibraryFile(bool hp49);

}  // namespace dravik::testing
