#include "grob/picture_conversion.h"

#include <sys/stat.h>

#include <cstdint>
#include <functional>
#include <utility>
#include <vector>

#include "grob/bmp_to_grob.h"
#include "grob/grob_layout.h"
#include "grob/grob_to_bmp.h"
#include "grob/picture_file.h"
#include "link/wait_cursor.h"

namespace dravik {

namespace {

std::string_view FileNameOf(std::string_view path) {
  const size_t slash = path.rfind('/');
  return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

std::string InFolder(const std::string& folder, const std::string& name) {
  if (folder.empty()) return name;
  return folder.back() == '/' ? folder + name : folder + '/' + name;
}

bool SameFile(const std::string& a, const std::string& b) {
  struct stat sa {}, sb {};
  return ::stat(a.c_str(), &sa) == 0 && ::stat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev &&
         sa.st_ino == sb.st_ino;
}

PictureConversionResult Fail(MainWindowHandle* window, std::string message) {
  if (window)
    window->ShowMessage(message, kPictureMessageCaption, MessageIcon::Warning, MessageButtons::Ok);
  return PictureConversionResult{false, {}, std::move(message)};
}

bool Exists(const std::string& path) {
  struct stat info {};
  return ::lstat(path.c_str(), &info) == 0;
}

std::string ExistsMessage(const std::string& path) {
  return std::string(kMsgOutputExists) + path + std::string(kMsgOutputExistsEnd);
}

// Whether an output that exists may be replaced: asks through the window
// when `existing` says so.
bool MayReplace(const std::string& output_path, MainWindowHandle* window, ExistingOutput existing) {
  if (existing == ExistingOutput::Replace) return true;
  if (existing == ExistingOutput::Keep || !window) return false;
  const std::string question = ExistsMessage(output_path) + std::string(kMsgReplaceQuestion);
  return window->ShowMessage(question, "Dravik", MessageIcon::Question, MessageButtons::YesNo) ==
         MessageAnswer::Yes;
}

using Converter = std::function<PictureBytes(std::span<const uint8_t>)>;

PictureConversionResult Convert(const std::string& input_path, const std::string& output_path,
                                MainWindowHandle* window, ExistingOutput existing,
                                const Converter& convert, std::string_view cannot_open,
                                std::string_view not_valid) {
  WaitCursor wait(window);
  std::vector<uint8_t> input;
  switch (ReadPictureFile(input_path, input)) {
    case PictureReadStatus::Ok: break;
    case PictureReadStatus::CannotOpen: return Fail(window, std::string(cannot_open));
    case PictureReadStatus::TooLarge: return Fail(window, std::string(not_valid));
  }
  PictureBytes output = convert(input);
  if (!output.ok()) return Fail(window, std::string(output.message));
  // Writing over the input would lose the picture being converted.
  if (SameFile(input_path, output_path)) return Fail(window, std::string(kMsgCannotCreate) + output_path);
  bool replace = false;
  if (Exists(output_path)) {
    replace = MayReplace(output_path, window, existing);
    if (!replace && existing == ExistingOutput::Ask && window)
      return PictureConversionResult{false, {}, {}};  // the user said No
    if (!replace) return Fail(window, ExistsMessage(output_path));
  }
  switch (WritePictureFile(output_path, output.bytes, replace)) {
    case PictureWriteStatus::Ok: return PictureConversionResult{true, output_path, {}};
    case PictureWriteStatus::Exists: return Fail(window, ExistsMessage(output_path));
    case PictureWriteStatus::Failed: break;
  }
  return Fail(window, std::string(kMsgCannotCreate) + output_path);
}

}  // namespace

std::string GrobNameFor(std::string_view bmp_path) {
  const std::string_view name = FileNameOf(bmp_path);
  return std::string(name.substr(0, name.rfind('.'))) + ".grb";
}

std::string BmpNameFor(std::string_view grob_path) {
  return std::string(FileNameOf(grob_path)) + ".bmp";
}

PictureConversionResult BmpFileToGrob(const std::string& input_path,
                                      const std::string& output_folder,
                                      MainWindowHandle* window, ExistingOutput existing,
                                      CalculatorFamily family) {
  const Converter to_grob = [family](std::span<const uint8_t> bmp) { return BmpToGrob(bmp, family); };
  return Convert(input_path, InFolder(output_folder, GrobNameFor(input_path)), window, existing, to_grob,
                 kMsgCannotOpenBmp, kMsgNoValidBmp);
}

PictureConversionResult GrobFileToBmp(const std::string& input_path,
                                      const std::string& output_folder,
                                      MainWindowHandle* window, ExistingOutput existing) {
  return Convert(input_path, InFolder(output_folder, BmpNameFor(input_path)), window, existing, GrobToBmp,
                 kMsgCannotOpenGrob, kMsgNoValidGrob);
}

}  // namespace dravik
