// Fuzzes the GROB reader of the GROB -> BMP conversion. Whatever a GROB it
// accepts, its bitmap must convert back to a GROB that gives the same bitmap.
#include <cstddef>
#include <cstdint>
#include <span>

#include "grob/bmp_to_grob.h"
#include "grob/grob_to_bmp.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const dravik::PictureBytes bmp = dravik::GrobToBmp(std::span<const uint8_t>(data, size));
  if (!bmp.ok()) {
    if (!bmp.bytes.empty()) __builtin_trap();
    return 0;
  }
  const dravik::PictureBytes grob = dravik::BmpToGrob(bmp.bytes);
  if (!grob.ok()) __builtin_trap();
  const dravik::PictureBytes again = dravik::GrobToBmp(grob.bytes);
  if (!again.ok() || again.bytes != bmp.bytes) __builtin_trap();
  return 0;
}
