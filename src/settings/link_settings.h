// The communication settings record and the globals kept beside it.
#pragma once

#include <cstdint>
#include <string>

namespace dravik {

struct LinkSettings {
  uint32_t BaudRate = 9600;
  uint8_t DataBits = 8;
  uint8_t Parity = 0;    // 0 None, 1 Odd, 2 Even, 3 Mark, 4 Space
  uint8_t StopBits = 0;  // 0 = one stop bit
  int32_t ChecksumType = 1;     // Kermit block-check type 1..3
  int32_t TranslationMode = 0;  // the calculator's TRANSIO code 0..3
  int32_t PortNumber = 1;       // port slot 1..4
};

}  // namespace dravik
