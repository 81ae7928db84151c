// A calculator program written to a file in the config folder for upload,
// removed again when the object goes out of scope.
#pragma once

#include <string>
#include <string_view>

namespace dravik {

class TempProgramFile {
 public:
  // Creates (or truncates) the config folder's file name and writes text to
  // it, without a line end.
  TempProgramFile(std::string_view name, std::string_view text);
  ~TempProgramFile() { Remove(); }
  TempProgramFile(const TempProgramFile&) = delete;
  TempProgramFile& operator=(const TempProgramFile&) = delete;

  bool ok() const { return ok_; }
  const std::string& path() const { return path_; }
  void Remove();

 private:
  std::string path_;
  bool ok_ = false;
};

}  // namespace dravik
