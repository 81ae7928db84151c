// dravik-cli bmp2grob FILE / grob2bmp FILE: the picture conversions of the
// File menu. The result is written next to the input, as the menu commands
// write into the folder the PC list shows; an existing file there is kept
// unless --replace is given.
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
                                                   MainWindowHandle*, ExistingOutput);

int RunConversion(const CliContext& context, const char* usage, FileConversion convert,
                  std::vector<std::string> args) {
  ExistingOutput existing = ExistingOutput::Keep;
  if (IsOptionWord(context, args, 0, "--replace")) {
    existing = ExistingOutput::Replace;
    args.erase(args.begin());
  }
  if (args.size() != 1) {
    std::fprintf(stderr, "Usage: dravik-cli %s\n", usage);
    return 2;
  }
  ConsoleWindow window;
  const PictureConversionResult result = convert(args[0], FolderOf(args[0]), &window, existing);
  if (!result.ok) {
    if (result.message.ends_with(kMsgOutputExistsEnd))
      std::fprintf(stderr, "dravik-cli: --replace replaces it\n");
    return 1;
  }
  std::printf("%s\n", result.output_path.c_str());
  return 0;
}

int RunBmp2Grob(CliContext& context, const std::vector<std::string>& args) {
  return RunConversion(context, "bmp2grob [--replace] FILE", BmpFileToGrob, args);
}

int RunGrob2Bmp(CliContext& context, const std::vector<std::string>& args) {
  return RunConversion(context, "grob2bmp [--replace] FILE", GrobFileToBmp, args);
}

}  // namespace

DRAVIK_CLI_COMMAND("bmp2grob", "bmp2grob [--replace] FILE",
                   "convert a monochrome BMP to a GROB file (NAME.grb) beside it", RunBmp2Grob);
DRAVIK_CLI_COMMAND("grob2bmp", "grob2bmp [--replace] FILE",
                   "convert a GROB file (binary or text form) to a monochrome BMP (FILE.bmp) beside it",
                   RunGrob2Bmp);

}  // namespace dravik::cli
