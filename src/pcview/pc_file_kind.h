// What "Check out" makes of a PC file: calculator object files by content,
// calculator pictures and GA0 files by name, everything else gets the
// desktop's own icon.
#pragma once

#include <string>
#include <string_view>

namespace dravik {

// The PC list's fixed icon slots; slots from kFirstDesktopSlot on hold the
// desktop's icons of the files of the current listing.
enum PcIconSlot : int {
  kSlotFolder = 0,
  kSlotFile = 1,       // every file while "Check out" is off
  kSlotHpBinary = 2,   // starts with "HPHP"
  kSlotHpText = 3,     // starts with "%%HP"
  kSlotPicture = 4,    // .gg .iff .gro .grb endings, ".4c" anywhere
  kSlotGa0 = 5,        // .ga0 ending
  kFirstDesktopSlot = 6,
};

// The tests that need only the name (letter case ignored): kSlotPicture,
// kSlotGa0, -1 when the name has another dot (the desktop's icon), 0 when
// the content decides.
int ClassifyByName(std::string_view name);

// The content test of a name without a dot: kSlotHpBinary, kSlotHpText, or
// -1 (the desktop's icon) for anything else, fewer than 4 bytes or a file
// that cannot be read.
int ClassifyByContent(const std::string& path);

}  // namespace dravik
