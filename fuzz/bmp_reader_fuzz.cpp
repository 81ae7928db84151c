// Fuzzes the BMP reader of the BMP -> GROB conversion. Whatever a bitmap it
// accepts, its GROB must convert back to a bitmap that gives the same GROB.
#include <cstddef>
#include <cstdint>
#include <span>

#include "grob/bmp_to_grob.h"
#include "grob/grob_to_bmp.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const dravik::PictureBytes grob = dravik::BmpToGrob(std::span<const uint8_t>(data, size));
  if (!grob.ok()) {
    if (!grob.bytes.empty()) __builtin_trap();
    return 0;
  }
  const dravik::PictureBytes bmp = dravik::GrobToBmp(grob.bytes);
  if (!bmp.ok()) __builtin_trap();
  const dravik::PictureBytes again = dravik::BmpToGrob(bmp.bytes);
  if (!again.ok() || again.bytes != grob.bytes) __builtin_trap();
  return 0;
}
