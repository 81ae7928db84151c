#include "pcview/pc_file_kind.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>

namespace dravik {

int ClassifyByName(std::string_view name) {
  std::string lower(name);
  for (char& c : lower)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  const std::string_view last4 =
      std::string_view(lower).substr(lower.size() >= 4 ? lower.size() - 4 : 0);
  // ".gg" anywhere in the last four characters: also "x.ggb".
  if (last4.find(".gg") != std::string_view::npos || last4 == ".iff" || last4 == ".gro" ||
      last4 == ".grb" || lower.find(".4c") != std::string::npos)
    return kSlotPicture;
  if (last4 == ".ga0") return kSlotGa0;
  if (name.find('.') != std::string_view::npos) return -1;
  return 0;
}

int ClassifyByContent(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return -1;
  // Only plain files are read: a pipe or a device could hold the list up.
  struct stat st{};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    return -1;
  }
  char head[4];
  size_t got = 0;
  while (got < sizeof head) {
    const ssize_t n = ::read(fd, head + got, sizeof head - got);
    if (n <= 0) break;
    got += static_cast<size_t>(n);
  }
  ::close(fd);
  if (got < sizeof head) return -1;
  if (std::memcmp(head, "HPHP", 4) == 0) return kSlotHpBinary;
  if (std::memcmp(head, "%%HP", 4) == 0) return kSlotHpText;
  return -1;
}

}  // namespace dravik
