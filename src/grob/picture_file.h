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
// file gives TooLarge, a missing or unreadable one, or one that is not a
// regular file (a folder, a FIFO, a device), CannotOpen, without waiting.
PictureReadStatus ReadPictureFile(const std::string& path, std::vector<uint8_t>& bytes,
                                  size_t limit = kPictureFileLimit);

enum class PictureWriteStatus { Ok, Exists, Failed };

// Writes bytes to path through a temporary file in the same folder that is
// put in place only when complete, so path holds either its old contents
// (or nothing) or all of the new ones. With `replace` an existing file is
// replaced; without it, a file that exists (even one created a moment ago
// by someone else) gives Exists and is left alone. Failed when the file
// cannot be created or written. Nothing is left behind on failure.
PictureWriteStatus WritePictureFile(const std::string& path, std::span<const uint8_t> bytes,
                                    bool replace);

}  // namespace dravik
