// Whole-file reading and replacing for the picture conversions.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace dravik {

enum class PictureReadStatus { Ok, CannotOpen, TooLarge };

// Larger inputs cannot hold a picture that fits a GROB's 5-nibble fields
// together with any sensible headers.
inline constexpr size_t kPictureFileLimit = 64u << 20;

// Reads the whole regular file at path, at most `limit` bytes; a larger
// file gives TooLarge, a missing or unreadable one (or a folder) CannotOpen.
PictureReadStatus ReadPictureFile(const std::string& path, std::vector<uint8_t>& bytes,
                                  size_t limit = kPictureFileLimit);

// Writes bytes to path through a temporary file in the same folder that is
// renamed over path when complete, so path holds either its old contents
// or all of the new ones. An existing file is replaced. False when the
// file cannot be created or written; nothing is then left behind.
bool ReplaceFileWith(const std::string& path, std::span<const uint8_t> bytes);

}  // namespace dravik
