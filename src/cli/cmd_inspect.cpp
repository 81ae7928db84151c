// dravik-cli inspect FILE... / extract FILE PATH / sendfrom FILE PATH...:
// calculator files on the PC. inspect says what each file holds as the
// calculator's listing would (a directory or backup as an indented tree);
// extract takes a variable or directory out of a backup or directory file;
// sendfrom sends such variables to the calculator's current directory
// without restoring the whole backup.
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "cli/calculator_text.h"
#include "cli/cli_link.h"
#include "grob/picture_file.h"
#include "hpfile/calculator_file.h"
#include "hpfile/object_extract.h"
#include "link/transfer_check.h"

namespace dravik::cli {
namespace {

std::string BaseName(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Reads a calculator file; on failure says why on stderr.
bool Load(const std::string& path, CalculatorFile* file) {
  std::vector<uint8_t> bytes;
  if (ReadPictureFile(path, bytes) != PictureReadStatus::Ok) {
    std::fprintf(stderr, "dravik-cli: cannot read %s (missing, unreadable, too large or not a regular file)\n",
                 path.c_str());
    return false;
  }
  *file = ReadCalculatorFile(std::move(bytes));
  return true;
}

// What a broken object has not: its size and checksum.
std::string OrDash(const std::string& text) { return text.empty() ? "-" : text; }

// A row's name as printed: a file's own (depth 0) is a PC name, the rest
// are names inside it, the calculator's.
std::string ShownName(const InspectRow& row) {
  return row.depth == 0 ? ShownMessage(row.name) : Shown(row.name);
}

void PrintRows(const std::vector<InspectRow>& rows) {
  size_t name_width = 0, type_width = 0, size_width = 0;
  for (const InspectRow& r : rows) {
    if (r.type.empty()) continue;
    name_width =
        std::max(name_width, 2 * static_cast<size_t>(r.depth) + DisplayWidth(ShownName(r)));
    type_width = std::max(type_width, r.type.size());
    size_width = std::max(size_width, OrDash(r.size).size());
  }
  for (const InspectRow& r : rows) {
    std::string line(2 * static_cast<size_t>(r.depth), ' ');
    const std::string name = ShownName(r);
    const std::string note = ShownMessage(r.note);
    if (r.type.empty()) {
      // A file that is no object, or where a damaged one breaks.
      line += r.name.empty() ? note : name + ": " + note;
    } else {
      line = PadRight(line + name, name_width) + "  " + PadRight(r.type, type_width) + "  " +
             PadLeft(OrDash(r.size), size_width) + "  " + OrDash(r.checksum);
      if (!r.note.empty()) line += "  (" + note + ")";
    }
    std::printf("%s\n", line.c_str());
  }
}

int RunInspect(CliContext&, const std::vector<std::string>& args) {
  if (args.empty()) {
    std::fprintf(stderr, "Usage: dravik-cli inspect FILE...\n");
    return 2;
  }
  std::vector<InspectRow> rows;
  bool all_whole = true;
  for (const std::string& path : args) {
    CalculatorFile file;
    if (!Load(path, &file)) {
      all_whole = false;
      continue;
    }
    all_whole = all_whole && (file.complete() || file.kind == CalculatorFileKind::Text);
    const std::vector<InspectRow> more = InspectRows(file, BaseName(path));
    rows.insert(rows.end(), more.begin(), more.end());
  }
  PrintRows(rows);
  return all_whole ? 0 : 1;
}

// The folder that extracted files go to: -C DIR, or the current folder.
std::string OutputFolder(const CliContext& context) {
  std::string folder = context.options.folder.empty() ? "." : context.options.folder;
  return folder.back() == '/' ? folder : folder + "/";
}

// A name that can be a file name in a folder as it is.
bool UsableFileName(const std::string& name) {
  return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos;
}

int RunExtract(CliContext& context, const std::vector<std::string>& given) {
  std::vector<std::string> args = given;
  const bool replace = IsOptionWord(context, args, 0, "--replace");
  if (replace) args.erase(args.begin());
  if (args.size() != 2) {
    std::fprintf(stderr, "Usage: dravik-cli [-C DIR] extract [--replace] FILE PATH\n");
    return 2;
  }
  CalculatorFile file;
  if (!Load(args[0], &file)) return 1;
  const ExtractedObject object = ExtractObject(file, Typed(args[1]));
  if (!object.ok) {
    std::fprintf(stderr, "dravik-cli: %s: %s\n", args[0].c_str(),
                 ShownMessage(object.error).c_str());
    return 1;
  }
  if (!UsableFileName(object.name)) {
    std::fprintf(stderr, "dravik-cli: %s cannot be a file name\n", Shown(object.name).c_str());
    return 1;
  }
  const std::string out = OutputFolder(context) + object.name;
  switch (WritePictureFile(out, object.file, replace)) {
    case PictureWriteStatus::Ok: std::printf("%s\n", out.c_str()); return 0;
    case PictureWriteStatus::Exists:
      std::fprintf(stderr, "dravik-cli: %s already exists (--replace replaces it)\n", out.c_str());
      return 1;
    case PictureWriteStatus::Failed: break;
  }
  std::fprintf(stderr, "dravik-cli: cannot create %s\n", out.c_str());
  return 1;
}

// Holds the extracted files in a private temporary folder while they are sent.
class TemporaryFolder {
 public:
  TemporaryFolder() {
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/dravik-send-XXXXXX";
    if (::mkdtemp(pattern.data())) path_ = pattern + "/";
  }
  ~TemporaryFolder() {
    for (const std::string& f : files_) ::unlink(f.c_str());
    if (!path_.empty()) ::rmdir(path_.c_str());
  }
  TemporaryFolder(const TemporaryFolder&) = delete;
  TemporaryFolder& operator=(const TemporaryFolder&) = delete;
  bool ok() const { return !path_.empty(); }
  // Writes a file; its path, or empty when it cannot be written.
  std::string Add(const std::string& name, const std::vector<uint8_t>& bytes) {
    const std::string file = path_ + name;
    if (WritePictureFile(file, bytes, false) != PictureWriteStatus::Ok) return {};
    files_.push_back(file);
    return file;
  }

 private:
  std::string path_;
  std::vector<std::string> files_;
};

int RunSendFrom(CliContext& context, const std::vector<std::string>& args) {
  if (args.size() < 2) {
    std::fprintf(stderr, "Usage: dravik-cli sendfrom FILE PATH...\n");
    return 2;
  }
  CalculatorFile file;
  if (!Load(args[0], &file)) return 1;
  TemporaryFolder folder;
  if (!folder.ok()) {
    std::fprintf(stderr, "dravik-cli: cannot create a temporary folder\n");
    return 1;
  }
  // Every variable is taken out before the line is touched.
  std::vector<std::string> paths;
  for (size_t i = 1; i < args.size(); ++i) {
    const ExtractedObject object = ExtractObject(file, Typed(args[i]));
    if (object.ok && object.name == "HOME") {
      std::fprintf(stderr, "dravik-cli: HOME is no variable; restore the backup to put it back\n");
      return 1;
    }
    if (!object.ok) {
      std::fprintf(stderr, "dravik-cli: %s: %s\n", args[0].c_str(),
                   ShownMessage(object.error).c_str());
      return 1;
    }
    const std::string name = Shown(object.name);
    if (!UsableFileName(object.name)) {
      std::fprintf(stderr, "dravik-cli: %s cannot be sent under its name\n", name.c_str());
      return 1;
    }
    const std::string path = folder.Add(object.name, object.file);
    if (path.empty()) {
      std::fprintf(stderr, "dravik-cli: cannot write a temporary copy of %s\n", name.c_str());
      return 1;
    }
    paths.push_back(path);
  }
  CliLink cli(context);
  if (!cli.Open()) return 1;
  if (!cli.link().SendFiles(paths)) return CommandFailed("sendfrom");
  return CheckSentObjects(cli.link(), paths) ? 0 : CommandFailed("sendfrom");
}

}  // namespace

DRAVIK_CLI_COMMAND("inspect", "inspect FILE...",
                   "say what calculator files hold: type, size and checksum as the calculator "
                   "lists them; directories and backups as a tree",
                   RunInspect);
DRAVIK_CLI_COMMAND("extract", "extract [--replace] FILE PATH",
                   "take a variable or directory (PATH such as GAMES/CHESS, or HOME) out of a "
                   "backup or directory file into -C DIR",
                   RunExtract);
DRAVIK_CLI_COMMAND("sendfrom", "sendfrom FILE PATH...",
                   "send variables of a backup or directory file to the calculator's current "
                   "directory, without restoring the backup",
                   RunSendFrom);

}  // namespace dravik::cli
