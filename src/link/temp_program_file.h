// A calculator program written to a file for upload, removed again when the
// object goes out of scope.
//
// The calculator stores an upload under the file's name, so the name is
// fixed ("cdhp48xx.tmp", "XModem.tmp"); the file lives in a folder of its
// own inside the config folder, made afresh for each program, so that two
// runs at once never upload each other's program.
#pragma once

#include <string>
#include <string_view>

namespace dravik {

class TempProgramFile {
 public:
  // Creates a new private folder in the config folder and in it the file
  // name holding text, without a line end.
  TempProgramFile(std::string_view name, std::string_view text);
  ~TempProgramFile() { Remove(); }
  TempProgramFile(const TempProgramFile&) = delete;
  TempProgramFile& operator=(const TempProgramFile&) = delete;

  bool ok() const { return ok_; }
  const std::string& path() const { return path_; }
  // Removes the file and its folder.
  void Remove();

 private:
  std::string folder_;
  std::string path_;
  bool ok_ = false;
};

}  // namespace dravik
