#include "link/temp_program_file.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

#include "platform/config_folder.h"

namespace dravik {

TempProgramFile::TempProgramFile(std::string_view name, std::string_view text) {
  std::string pattern = ConfigFolder() + "upload.XXXXXX";
  std::vector<char> buffer(pattern.begin(), pattern.end());
  buffer.push_back('\0');
  if (!::mkdtemp(buffer.data())) {
    path_ = pattern + "/" + std::string(name);  // for the caller's message
    return;
  }
  folder_ = buffer.data();
  path_ = folder_ + "/" + std::string(name);
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path_.c_str(), "wbx"),
                                                        &std::fclose);
  if (!file) return;
  bool written = std::fwrite(text.data(), 1, text.size(), file.get()) == text.size();
  ok_ = std::fclose(file.release()) == 0 && written;
}

void TempProgramFile::Remove() {
  if (!folder_.empty()) {
    std::remove(path_.c_str());
    ::rmdir(folder_.c_str());
    folder_.clear();
  }
  ok_ = false;
}

}  // namespace dravik
