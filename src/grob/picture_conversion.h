// The two file conversions behind the commands "Convert &BMP --> GROB" and
// "Convert &GROB --> BMP": read the input, convert in memory, write the
// output into the given folder.
#pragma once

#include <string>
#include <string_view>

#include "hpfile/calculator_family.h"
#include "link/ui_boundary.h"

namespace dravik {

struct PictureConversionResult {
  bool ok = false;
  std::string output_path;  // set when ok
  std::string message;      // the text shown when !ok (empty: the user declined)
};

// What to do when the output file exists already.
enum class ExistingOutput {
  Ask,      // ask through the window (Yes replaces it); without a window, Keep
  Replace,  // replace it
  Keep,     // keep it and fail with kMsgOutputExists
};

// Followed by the output path, then kMsgOutputExistsEnd.
inline constexpr std::string_view kMsgOutputExists = "The file ";
inline constexpr std::string_view kMsgOutputExistsEnd = " already exists";
inline constexpr std::string_view kMsgReplaceQuestion = "\nReplace it?";

// The output file names: the input's file name up to its last "." plus
// ".grb" (SUN.BMP -> SUN.grb, x.v1.bmp -> x.v1.grb, SUN -> SUN.grb), and
// the whole input file name plus ".bmp" (PIC.GRB -> PIC.GRB.bmp).
std::string GrobNameFor(std::string_view bmp_path);
std::string BmpNameFor(std::string_view grob_path);

// Convert input_path and write the result into output_folder (with or
// without a trailing '/'; empty means the current folder). The wait cursor
// is on while they run. A refused input or an output that cannot be created
// is shown through window (caption "ERROR", warning icon, OK) when window
// is not null, and nothing is written. An existing output is dealt with as
// `existing` says; it is never the input itself. The GROB file is made for
// the calculator family given (its header); a GROB of either family is read.
PictureConversionResult BmpFileToGrob(const std::string& input_path,
                                      const std::string& output_folder,
                                      MainWindowHandle* window,
                                      ExistingOutput existing = ExistingOutput::Ask,
                                      CalculatorFamily family = CalculatorFamily::Hp48);
PictureConversionResult GrobFileToBmp(const std::string& input_path,
                                      const std::string& output_folder,
                                      MainWindowHandle* window,
                                      ExistingOutput existing = ExistingOutput::Ask);

}  // namespace dravik
