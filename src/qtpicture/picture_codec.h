// PNG and the other picture formats Qt reads, to and from the engine's
// plain pixel buffers (grob/picture_processing.h). A small library of its
// own so that the engine stays free of Qt; dravik-cli links it.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "grob/picture_processing.h"

namespace dravik {

// Decodes a picture file's bytes (PNG, BMP, PGM, JPEG, … whatever Qt can
// read) as grey levels; transparent parts count as white. False with
// *error when the bytes are no picture Qt can read.
bool DecodeGrayPicture(std::span<const uint8_t> bytes, GrayPicture* picture, std::string* error);

// A black and white PNG of the picture.
std::vector<uint8_t> EncodePng(const MonoPicture& picture);

}  // namespace dravik
