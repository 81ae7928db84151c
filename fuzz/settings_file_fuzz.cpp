// Fuzzes the reading of Dravik.ini: any file, short, long or garbage, reads
// without going past its end and gives a favourite path of at most 259
// bytes with no NUL in it.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "settings/settings_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string path = [] {
    char tmpl[] = "/tmp/dravik-settings-fuzz-XXXXXX";
    int fd = ::mkstemp(tmpl);
    if (fd < 0) __builtin_trap();
    ::close(fd);
    return std::string(tmpl);
  }();
  std::FILE* out = std::fopen(path.c_str(), "wb");
  if (!out) __builtin_trap();
  if (size) std::fwrite(data, 1, size, out);
  std::fclose(out);
  dravik::LinkSettings settings;
  dravik::ReadStartupSettings(settings, path);
  const std::string favourite = dravik::ReadFavoritePath(path);
  if (favourite.size() > dravik::kFavoritePathMax) __builtin_trap();
  if (favourite.find('\0') != std::string::npos) __builtin_trap();
  return 0;
}
