// The last step of the connection doctor: once a Kermit server answers, the
// connection check says which calculator it is (its model table), or that
// the server is no calculator.
#pragma once

#include <cstdint>
#include <string>

#include "diagnose/connection_doctor.h"

namespace dravik {

// Opens device at baud, runs the connection check (and, on an HP48, reads a
// listing, which tells an SX from a GX) and closes the device again.
Finding IdentifyCalculator(const std::string& device, uint32_t baud);

}  // namespace dravik
