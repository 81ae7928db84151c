// dravik-cli png2grob / grob2png: pictures in PNG (or any format Qt reads)
// to a GROB file beside them, black and white by a threshold or by
// Floyd-Steinberg dithering, optionally shrunk to the 131 x 64 screen, for
// an HP48 or (--hp49) an HP49-family calculator; and a GROB file (binary
// form of either family, or text form) to a black and white PNG beside it.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "cli/cli_command.h"
#include "grob/picture_conversion.h"
#include "grob/picture_file.h"
#include "grob/picture_processing.h"
#include "qtpicture/picture_codec.h"

namespace dravik::cli {
namespace {

std::string FolderOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string("./") : path.substr(0, slash + 1);
}

int Fail(const std::string& message) {
  std::fprintf(stderr, "dravik-cli: %s\n", message.c_str());
  return 1;
}

bool Read(const std::string& path, std::vector<uint8_t>* bytes) {
  return ReadPictureFile(path, *bytes) == PictureReadStatus::Ok;
}

int Write(const std::string& path, const std::vector<uint8_t>& bytes, bool replace) {
  switch (WritePictureFile(path, bytes, replace)) {
    case PictureWriteStatus::Ok: std::printf("%s\n", path.c_str()); return 0;
    case PictureWriteStatus::Exists: return Fail(path + " already exists (--replace replaces it)");
    case PictureWriteStatus::Failed: break;
  }
  return Fail("cannot create " + path);
}

struct PngOptions {
  bool dither = false;
  bool fit = false;
  bool replace = false;
  CalculatorFamily family = CalculatorFamily::Hp48;
  int threshold = 128;
  std::string file;
};

bool ParseOptions(const CliContext& context, const std::vector<std::string>& args,
                  bool picture_options, PngOptions* o) {
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (i >= context.operands_from) {
      if (!o->file.empty()) return false;
      o->file = a;
    } else if (a == "--replace") {
      o->replace = true;
    } else if (picture_options && a == "--dither") {
      o->dither = true;
    } else if (picture_options && a == "--fit") {
      o->fit = true;
    } else if (picture_options && a == "--hp49") {
      o->family = CalculatorFamily::Hp49;
    } else if (picture_options && a == "--threshold" && i + 1 < args.size()) {
      char* end = nullptr;
      const long level = std::strtol(args[++i].c_str(), &end, 10);
      if (*end != '\0' || level < 1 || level > 255) return false;
      o->threshold = static_cast<int>(level);
    } else if (o->file.empty() && (a.empty() || a[0] != '-')) {
      o->file = a;
    } else {
      return false;
    }
  }
  return !o->file.empty();
}

int RunPng2Grob(CliContext& context, const std::vector<std::string>& args) {
  PngOptions o;
  if (!ParseOptions(context, args, true, &o)) {
    std::fprintf(stderr,
                 "Usage: dravik-cli png2grob [--dither | --threshold 1..255] [--fit] [--hp49] "
                 "[--replace] FILE\n");
    return 2;
  }
  std::vector<uint8_t> bytes;
  if (!Read(o.file, &bytes)) return Fail("cannot read " + o.file);
  GrayPicture grey;
  std::string error;
  if (!DecodeGrayPicture(bytes, &grey, &error)) return Fail(o.file + ": " + error);
  if (o.fit) grey = FitWithin(grey);
  if (!FitsInCalculator(grey.width, grey.height))
    return Fail(o.file + ": " + std::string(kMsgTooLargeForCalculator) + " (" + std::to_string(grey.width) +
                " x " + std::to_string(grey.height) + "; --fit shrinks it to the screen)");
  const MonoPicture mono = o.dither ? Dither(grey) : Threshold(grey, static_cast<uint8_t>(o.threshold));
  const PictureBytes grob = MonoToGrobFile(mono, o.family);
  if (!grob.ok()) return Fail(o.file + ": " + std::string(grob.message));
  return Write(FolderOf(o.file) + GrobNameFor(o.file), grob.bytes, o.replace);
}

int RunGrob2Png(CliContext& context, const std::vector<std::string>& args) {
  PngOptions o;
  if (!ParseOptions(context, args, false, &o)) {
    std::fprintf(stderr, "Usage: dravik-cli grob2png [--replace] FILE\n");
    return 2;
  }
  std::vector<uint8_t> bytes;
  if (!Read(o.file, &bytes)) return Fail("cannot read " + o.file);
  MonoPicture picture;
  std::string_view message;
  if (!GrobFileToMono(bytes, &picture, &message)) return Fail(o.file + ": " + std::string(message));
  const size_t slash = o.file.rfind('/');
  const std::string name = slash == std::string::npos ? o.file : o.file.substr(slash + 1);
  return Write(FolderOf(o.file) + name + ".png", EncodePng(picture), o.replace);
}

}  // namespace

DRAVIK_CLI_COMMAND("png2grob", "png2grob [--dither | --threshold N] [--fit] [--hp49] [--replace] FILE",
                   "convert a PNG (or other picture) to a GROB file (NAME.grb) beside it; --fit "
                   "shrinks it to the 131x64 screen, --hp49 makes it for an HP49-family "
                   "calculator",
                   RunPng2Grob);
DRAVIK_CLI_COMMAND("grob2png", "grob2png [--replace] FILE",
                   "convert a GROB file (binary or text form) to a black and white PNG "
                   "(FILE.png) beside it",
                   RunGrob2Png);

}  // namespace dravik::cli
