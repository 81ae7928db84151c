// XModem sends whole blocks of 128 bytes, so a received file ends in fill
// (0x00 from the calculator, 0x1A from most PC senders). A calculator
// object in binary form is cut back to its own length by walking its
// structure; a text file loses only the run of fill after its end; other
// data is kept whole (its last bytes may be real zeros).
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace dravik {

struct XModemFill {
  enum Outcome {
    kNone,        // nothing to remove
    kFound,       // keep the first `keep` bytes
    kNotWalked,   // a binary object whose structure could not be walked: keep it all
  };
  Outcome outcome = kNone;
  size_t keep = 0;
  // The object has an odd number of nibbles: the high half of the last
  // byte kept is fill too, and is cleared (as the calculator's own
  // transfers leave it), so the file matches a Kermit transfer of the object.
  bool clear_last_half = false;
  std::string reason;  // kNotWalked: why
};

XModemFill FindXModemFill(std::span<const uint8_t> data);

// Removes the fill from the file at path. kNotWalked leaves the file as it
// is. False (with *error) when the file cannot be read or changed.
bool TrimXModemFile(const std::string& path, XModemFill* fill, std::string* error);

}  // namespace dravik
