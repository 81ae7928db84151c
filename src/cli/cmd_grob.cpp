// dravik-cli bmp2grob FILE / grob2bmp FILE: the picture conversions of the
// File menu. The result is written next to the input, as the menu commands
// write into the folder the PC list shows; an existing file there is kept
// unless --replace is given. bmp2grob --hp49 makes the GROB file for an
// HP49-family calculator (its header), which refuses the HP48's.
#include <cstdio>
#include <string>
#include <vector>

#include "cli/cli_command.h"
#include "cli/console_boundary.h"
#include "grob/picture_conversion.h"

namespace dravik::cli {
namespace {

std::string FolderOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string("./") : path.substr(0, slash + 1);
}

using FileConversion = PictureConversionResult (*)(const std::string&, const std::string&,
                                                   MainWindowHandle*, ExistingOutput,
                                                   CalculatorFamily);

// with_family: the command takes --hp49.
int RunConversion(const CliContext& context, const char* usage, bool with_family,
                  FileConversion convert, const std::vector<std::string>& args) {
  ExistingOutput existing = ExistingOutput::Keep;
  CalculatorFamily family = CalculatorFamily::Hp48;
  size_t at = 0;
  for (;; ++at) {
    if (IsOptionWord(context, args, at, "--replace"))
      existing = ExistingOutput::Replace;
    else if (with_family && IsOptionWord(context, args, at, "--hp49"))
      family = CalculatorFamily::Hp49;
    else
      break;
  }
  if (args.size() != at + 1) {
    std::fprintf(stderr, "Usage: dravik-cli %s\n", usage);
    return 2;
  }
  const std::string& file = args[at];
  ConsoleWindow window;
  const PictureConversionResult result = convert(file, FolderOf(file), &window, existing, family);
  if (!result.ok) {
    if (result.message.ends_with(kMsgOutputExistsEnd))
      std::fprintf(stderr, "dravik-cli: --replace replaces it\n");
    return 1;
  }
  std::printf("%s\n", result.output_path.c_str());
  return 0;
}

int RunBmp2Grob(CliContext& context, const std::vector<std::string>& args) {
  return RunConversion(context, "bmp2grob [--hp49] [--replace] FILE", true, BmpFileToGrob, args);
}

int RunGrob2Bmp(CliContext& context, const std::vector<std::string>& args) {
  // A GROB of either family is read.
  const FileConversion to_bmp = [](const std::string& input, const std::string& folder,
                                   MainWindowHandle* window, ExistingOutput existing,
                                   CalculatorFamily) {
    return GrobFileToBmp(input, folder, window, existing);
  };
  return RunConversion(context, "grob2bmp [--replace] FILE", false, to_bmp, args);
}

}  // namespace

DRAVIK_CLI_COMMAND("bmp2grob", "bmp2grob [--hp49] [--replace] FILE",
                   "convert a monochrome BMP to a GROB file (NAME.grb) beside it; --hp49 makes "
                   "it for an HP49-family calculator",
                   RunBmp2Grob);
DRAVIK_CLI_COMMAND("grob2bmp", "grob2bmp [--replace] FILE",
                   "convert a GROB file (binary or text form) to a monochrome BMP (FILE.bmp) beside it",
                   RunGrob2Bmp);

}  // namespace dravik::cli
