// End-to-end check of a binary transfer against the calculator's own
// checksum.
//
// Kermit's block checks of types 1 and 2 are sums: two errors in one packet
// that cancel out (a bit set here and the same bit cleared there) pass them,
// so on a noisy line a file can arrive garbled with every packet "good". The
// calculator lists every variable with its size and the CRC of the stored
// object (`NAME SIZE TYPE CHECKSUM`), so a file in binary transfer form
// ("HPHP48-" or "HPHP49-" + the object's nibbles) can be compared with what
// the calculator holds, whatever the block check was.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace dravik {

// What the calculator's listing says of one variable.
struct ListedObject {
  bool found = false;
  long twice_size = 0;     // the SIZE field times two (it may end in .5)
  unsigned checksum = 0;   // the CHECKSUM field
  bool has_checksum = false;
};

// Finds the line of a variable in a directory listing text (header and
// object lines as the calculator sends them). Names compare exactly.
ListedObject FindListedObject(std::string_view listing, std::string_view name);

enum class ObjectCheck {
  Match,          // the file holds exactly the object the calculator lists
  Mismatch,       // size or checksum differ: the transfer garbled it
  NotListed,      // the calculator lists no variable of that name
  NotCheckable,   // not a binary object file, or the listing has no checksum
};

// Which way the file went: a file received must hold exactly the object
// (and one pad nibble when its length is odd); a file sent may hold more
// after the object, which the calculator ignores.
enum class TransferDirection { Sent, Received };

// Compares a file in binary transfer form, stored on the calculator under
// name, with the listing's line for it. The size gives the object's length
// N in nibbles (SIZE = (N + 9 + 2 * name length) / 2); the CRC of the
// file's first N nibbles must be the listed checksum. A name bound to a
// library command (XLIB) is listed as the command it stands for and cannot
// be checked. A received file whose header is damaged is a Mismatch.
ObjectCheck CheckObjectFile(const std::vector<uint8_t>& file, std::string_view name,
                            std::string_view listing, TransferDirection direction);

// True when the bytes are a file in binary transfer form ("HPHP48-" or
// "HPHP49-").
bool IsBinaryObjectFile(const std::vector<uint8_t>& file);
// True when the bytes begin as a binary transfer file damaged in its header:
// one or two of "HPHP48-" (or of "HPHP49-") changed, or the ROM letter after
// it no letter.
// The object's CRC does not cover the header, and a file no longer in
// binary form would otherwise pass for a text file with nothing to check.
bool HasDamagedBinaryHeader(const std::vector<uint8_t>& file);

}  // namespace dravik
