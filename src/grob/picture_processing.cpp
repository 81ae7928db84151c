#include "grob/picture_processing.h"

#include <algorithm>

#include "grob/grob_text.h"

namespace dravik {

GrayPicture FitWithin(const GrayPicture& picture, uint32_t max_width, uint32_t max_height) {
  if (picture.width <= max_width && picture.height <= max_height) return picture;
  // The larger of the two reductions decides; proportions stay.
  const double scale = std::min(static_cast<double>(max_width) / picture.width,
                                static_cast<double>(max_height) / picture.height);
  GrayPicture out;
  out.width = std::max<uint32_t>(1, static_cast<uint32_t>(picture.width * scale + 0.5));
  out.height = std::max<uint32_t>(1, static_cast<uint32_t>(picture.height * scale + 0.5));
  out.width = std::min(out.width, max_width);
  out.height = std::min(out.height, max_height);
  out.level.resize(size_t{out.width} * out.height);
  for (uint32_t y = 0; y < out.height; ++y) {
    const uint64_t y0 = uint64_t{y} * picture.height / out.height;
    const uint64_t y1 = std::max(y0 + 1, uint64_t{y + 1} * picture.height / out.height);
    for (uint32_t x = 0; x < out.width; ++x) {
      const uint64_t x0 = uint64_t{x} * picture.width / out.width;
      const uint64_t x1 = std::max(x0 + 1, uint64_t{x + 1} * picture.width / out.width);
      uint64_t sum = 0;
      for (uint64_t sy = y0; sy < y1; ++sy)
        for (uint64_t sx = x0; sx < x1; ++sx) sum += picture.level[sy * picture.width + sx];
      out.level[size_t{y} * out.width + x] = static_cast<uint8_t>(sum / ((y1 - y0) * (x1 - x0)));
    }
  }
  return out;
}

MonoPicture Threshold(const GrayPicture& picture, uint8_t threshold) {
  MonoPicture out{picture.width, picture.height, std::vector<uint8_t>(picture.level.size())};
  for (size_t i = 0; i < picture.level.size(); ++i) out.dark[i] = picture.level[i] < threshold;
  return out;
}

MonoPicture Dither(const GrayPicture& picture) {
  const size_t w = picture.width;
  MonoPicture out{picture.width, picture.height, std::vector<uint8_t>(picture.level.size())};
  // The errors carried to the current row and the next, one spare column
  // on each side so that the edges need no test.
  std::vector<int> current(w + 2, 0), next(w + 2, 0);
  for (size_t y = 0; y < picture.height; ++y) {
    for (size_t x = 0; x < w; ++x) {
      const int wanted = picture.level[y * w + x] + current[x + 1] / 16;
      const bool dark = wanted < 128;
      out.dark[y * w + x] = dark;
      const int error = wanted - (dark ? 0 : 255);
      current[x + 2] += error * 7;
      next[x] += error * 3;
      next[x + 1] += error * 5;
      next[x + 2] += error * 1;
    }
    current.swap(next);
    std::fill(next.begin(), next.end(), 0);
  }
  return out;
}

bool FitsInCalculator(uint64_t width, uint64_t height) {
  if (width == 0 || height == 0 || width >= kGrobFieldLimit || height >= kGrobFieldLimit) return false;
  // The prolog's 5 nibbles and the length's count of the rest.
  return (5 + GrobLength(width, height) + 1) / 2 <= kCalculatorMemoryBytes;
}

PictureBytes MonoToGrobFile(const MonoPicture& picture, CalculatorFamily family) {
  if (!FitsInCalculator(picture.width, picture.height)) return PictureBytes{{}, kMsgTooLargeForCalculator};
  PictureBytes result;
  std::vector<uint8_t>& out = result.bytes;
  AppendGrobFileHeader(out, picture.width, picture.height, family);
  const size_t row_bytes = GrobRowBytes(picture.width);
  for (size_t y = 0; y < picture.height; ++y) {
    const size_t row = out.size();
    out.resize(row + row_bytes, 0);
    for (size_t x = 0; x < picture.width; ++x)
      if (picture.dark[y * picture.width + x]) out[row + x / 8] |= static_cast<uint8_t>(1u << (x % 8));
  }
  return result;
}

bool GrobFileToMono(std::span<const uint8_t> file, MonoPicture* picture, std::string_view* message) {
  PictureBytes from_text;
  std::span<const uint8_t> grob = file;
  if (IsGrobText(file)) {
    from_text = GrobTextToBinary(file);
    if (!from_text.ok()) {
      *message = from_text.message;
      return false;
    }
    grob = from_text.bytes;
  }
  *message = kMsgNoValidGrob;
  if (grob.size() < kGrobHeaderBytes || grob[8] != kGrobPrologByte8 || grob[9] != kGrobPrologByte9 ||
      (grob[10] & 0xF) != 0)
    return false;
  const uint64_t length = grob[10] >> 4 | grob[11] << 4 | grob[12] << 12;
  const uint64_t height = grob[13] | grob[14] << 8 | (grob[15] & 0xF) << 16;
  const uint64_t width = grob[15] >> 4 | grob[16] << 4 | grob[17] << 12;
  if (width == 0 || height == 0 || length < GrobLength(width, height)) return false;
  const uint64_t row_bytes = GrobRowBytes(width);
  if (grob.size() < kGrobHeaderBytes + row_bytes * height) return false;
  picture->width = static_cast<uint32_t>(width);
  picture->height = static_cast<uint32_t>(height);
  picture->dark.assign(width * height, 0);
  for (uint64_t y = 0; y < height; ++y) {
    const uint8_t* row = grob.data() + kGrobHeaderBytes + y * row_bytes;
    for (uint64_t x = 0; x < width; ++x) picture->dark[y * width + x] = row[x / 8] >> (x % 8) & 1;
  }
  message->remove_prefix(message->size());
  return true;
}

}  // namespace dravik
