// What a serial receiver set to one speed makes of bytes sent at another.
//
// A pseudo-terminal carries bytes whatever speed either side sets, so the
// simulated calculator models a speed mismatch itself: the bytes become the
// signal a sender at sent_baud puts on the wire (start bit, eight data bits
// from the lowest, stop bit, back to back, then the idle level), and a
// receiver at read_baud samples that signal in the middle of each of its bit
// times, as a UART does. The result is the garble a real line delivers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace dravik::sim {

std::vector<uint8_t> ReadAtWrongSpeed(const uint8_t* data, size_t size, int sent_baud,
                                      int read_baud);

}  // namespace dravik::sim
