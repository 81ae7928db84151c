// Pictures as plain pixel buffers, and what turns a grey picture into one
// a calculator can show: a fit to its 131 x 64 screen, a threshold or
// Floyd-Steinberg dithering to black and white, the GROB file of the result
// and back. Reading and writing PNG and other formats is left to the
// caller (dravik-cli uses Qt's image readers).
#pragma once

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "grob/grob_layout.h"

namespace dravik {

// Grey levels, 0 black to 255 white, rows top first.
struct GrayPicture {
  uint32_t width = 0;
  uint32_t height = 0;
  std::vector<uint8_t> level;  // width * height
};

// Black and white, rows top first; 1 is a dark pixel.
struct MonoPicture {
  uint32_t width = 0;
  uint32_t height = 0;
  std::vector<uint8_t> dark;  // width * height, 0 or 1
  bool operator==(const MonoPicture&) const = default;
};

inline constexpr uint32_t kScreenWidth = 131;
inline constexpr uint32_t kScreenHeight = 64;

// The free memory of an empty HP48GX, in bytes: no GROB larger than this
// can be stored on one.
inline constexpr uint64_t kCalculatorMemoryBytes = 127843;
inline constexpr std::string_view kMsgTooLargeForCalculator =
    "The picture is too large for a calculator";

// Shrinks the picture, keeping its proportions, until it fits within
// max_width x max_height (each output pixel the mean of the pixels it
// covers). A picture that fits already is returned as it is.
GrayPicture FitWithin(const GrayPicture& picture, uint32_t max_width = kScreenWidth,
                      uint32_t max_height = kScreenHeight);

// Dark where the level is below `threshold`.
MonoPicture Threshold(const GrayPicture& picture, uint8_t threshold = 128);

// Floyd-Steinberg error diffusion: each pixel goes to black or white and
// passes its error on to the right (7/16) and the row below (3/16, 5/16, 1/16).
MonoPicture Dither(const GrayPicture& picture);

// Whether a GROB of that size fits in a calculator's memory.
bool FitsInCalculator(uint64_t width, uint64_t height);

// The GROB file (binary form, with the family's header: "HPHP48-E",
// "HPHP49-B") of a picture that fits in a calculator; refused with
// kMsgTooLargeForCalculator otherwise.
PictureBytes MonoToGrobFile(const MonoPicture& picture,
                            CalculatorFamily family = CalculatorFamily::Hp48);

// The picture of a GROB file in binary form (either family's header) or
// text form. False with
// *message (kMsgNoValidGrob, kMsgTooLargeForGrob) when it is not one.
bool GrobFileToMono(std::span<const uint8_t> file, MonoPicture* picture, std::string_view* message);

}  // namespace dravik
