#include "link/temp_program_file.h"

#include <cstdio>
#include <memory>

#include "platform/config_folder.h"

namespace dravik {

TempProgramFile::TempProgramFile(std::string_view name, std::string_view text)
    : path_(ConfigFolder() + std::string(name)) {
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path_.c_str(), "wb"),
                                                        &std::fclose);
  if (!file) return;
  bool written = std::fwrite(text.data(), 1, text.size(), file.get()) == text.size();
  ok_ = std::fclose(file.release()) == 0 && written;
}

void TempProgramFile::Remove() {
  if (!path_.empty()) std::remove(path_.c_str());
  ok_ = false;
}

}  // namespace dravik
