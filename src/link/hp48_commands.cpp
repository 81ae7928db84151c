#include "link/hp48_commands.h"

#include "link/calculator_model.h"
#include "listing/listing_parser.h"

namespace dravik::hp48 {
namespace {

char Digit(int value) { return static_cast<char>('0' + value); }

bool IsControl(unsigned char c) { return c < 32 || c == 127; }

// The lines of a reply, each without its CR LF. A last piece without CR LF
// (the calculator's "Empty Stack") is left out.
std::vector<std::string_view> EndedLines(std::string_view reply) {
  std::vector<std::string_view> lines;
  size_t start = 0;
  for (size_t at = reply.find("\r\n"); at != std::string_view::npos;
       at = reply.find("\r\n", start)) {
    lines.push_back(reply.substr(start, at - start));
    start = at + 2;
  }
  return lines;
}

// A stack line's value: the text after an "n:" level label, trimmed.
std::string_view StackValue(std::string_view line) {
  size_t i = 0;
  while (i < line.size() && line[i] >= '0' && line[i] <= '9') ++i;
  if (i > 0 && i < line.size() && line[i] == ':') line.remove_prefix(i + 1);
  while (!line.empty() && (line.front() == ' ' || line.front() == '\t')) line.remove_prefix(1);
  while (!line.empty() && (line.back() == ' ' || line.back() == '\t')) line.remove_suffix(1);
  return line;
}

// A single digit within [low, high], or -1. An HP49 shows a real number
// with a trailing dot ("3."): *dotted is set when this one has it.
int SingleDigit(std::string_view value, int low, int high, bool* dotted) {
  const bool dot = value.size() == 2 && value[1] == '.';
  if (dot) value.remove_suffix(1);
  if (value.size() != 1 || value[0] < '0' || value[0] > '9') return -1;
  int v = value[0] - '0';
  if (v < low || v > high) return -1;
  *dotted = *dotted || dot;
  return v;
}

// A stack value that a calculator cutting its values at width characters
// cut short: as long as that, and without the closing character of what it
// begins ("{1,2,3,4,5,6,7,8,9,10,").
bool CutValue(std::string_view value, size_t width) {
  if (value.size() != width || value.empty()) return false;
  switch (value.front()) {
    case '{': return value.back() != '}';
    case '"': return value.back() != '"';
    case '[': return value.back() != ']';
    case '(': return value.back() != ')';
    default: return false;
  }
}

}  // namespace

size_t EncodedCommandLength(std::string_view text) {
  size_t length = 0;
  for (unsigned char c : text) length += (IsControl(c & 0x7F) || c == '#') ? 2 : 1;
  return length;
}

bool FitsOnePacket(std::string_view text) { return EncodedCommandLength(text) <= kMaxCommandText; }

bool IsPlainName(std::string_view name) {
  if (name.empty()) return false;
  for (unsigned char c : name) {
    if (IsControl(c) || c == ' ') return false;
    switch (c) {
      case '\'': case '"': case '#': case '{': case '}': case '[': case ']': case '(':
      case ')': case '<': case '>': case ',': case ';': case ':': case '\\':
        return false;
      default:
        break;
    }
  }
  return true;
}

bool IsCalculatorName(std::string_view name) { return NameProblem(name).empty(); }

std::string NameProblem(std::string_view name) {
  if (name.size() > kMaxNameLength)
    return "longer than " + std::to_string(kMaxNameLength) + " characters";
  if (!IsPlainName(name)) {
    if (name.empty()) return "empty";
    return "holds a blank, a control character or one of ' \" # { } [ ] ( ) < > , ; : \\";
  }
  return {};
}

std::string CommandForm(std::string_view path) {
  std::string out(path);
  for (size_t i = 1; i < out.size(); ++i)
    if (out[i] == '\\') out[i] = ' ';
  return out;
}

std::string ListForm(std::string_view path) { return "{" + CommandForm(path) + "}"; }

std::string DestinationList(std::string_view path) { return "{ " + CommandForm(path) + "}"; }

std::vector<std::string> PathNames(std::string_view path) {
  std::vector<std::string> names;
  size_t at = path.find('\\');
  while (at != std::string_view::npos && at + 1 < path.size()) {
    size_t end = path.find('\\', at + 1);
    names.emplace_back(path.substr(at + 1, (end == std::string_view::npos ? path.size() : end) - at - 1));
    at = end;
  }
  return names;
}

std::vector<std::string> EnterPathCommands(std::string_view path, bool report_path,
                                           std::string_view report) {
  // The steps in order; a step never spans two commands, but a report may
  // start the next one, as the stack carries every one to the end.
  std::vector<std::string> steps{"HOME"};
  if (report_path) steps.emplace_back(report);
  for (const std::string& name : PathNames(path)) {
    if (!IsCalculatorName(name)) return {};
    // The name is quoted, so it is only a name until the calculator has
    // listed it among the directories here; then EVAL enters it.
    steps.push_back("'" + name + "' IF 15 TVARS OVER POS THEN EVAL ELSE DROP END");
    if (report_path) steps.emplace_back(report);
  }
  std::vector<std::string> commands{""};
  for (const std::string& step : steps) {
    std::string& command = commands.back();
    if (!command.empty() && command.size() + 1 + step.size() > kMaxCommandText) {
      commands.push_back(step);
    } else {
      command += (command.empty() ? "" : " ") + step;
    }
  }
  return commands;
}

std::vector<std::string> PathsInReply(std::string_view reply, size_t count) {
  const std::vector<std::string_view> lines = EndedLines(reply);
  if (lines.size() < count) return {};
  std::vector<std::string> paths;
  for (size_t i = lines.size() - count; i < lines.size(); ++i) {
    const std::string_view value = StackValue(lines[i]);
    const bool list = value.size() >= 2 && value.front() == '{' && value.back() == '}';
    paths.push_back(list ? PathFromList(value) : std::string());
  }
  return paths;
}

std::vector<std::string> PathsFromDepths(std::string_view reply, std::string_view wanted) {
  const std::vector<std::string> names = PathNames(wanted);
  const std::vector<std::string_view> lines = EndedLines(reply);
  if (lines.size() < names.size() + 1) return {};
  std::vector<std::string> paths;
  std::string at;
  long depth = 0;
  for (size_t i = lines.size() - names.size() - 1, step = 0; i < lines.size(); ++i, ++step) {
    const std::optional<long> now = StackInteger(StackValue(lines[i]));
    if (step == 0) {
      at = now == 1 ? "HOME\\" : "";
    } else if (!at.empty() && now == depth + 1) {
      at += names[step - 1] + "\\";
    } else if (now != depth) {
      at.clear();
    }
    depth = now.value_or(-1);
    paths.push_back(at);
  }
  return paths;
}

std::vector<int> CutLevels(std::string_view reply, size_t width) {
  std::vector<int> levels;
  for (std::string_view line : EndedLines(reply)) {
    const std::optional<long> level = StackInteger(line.substr(0, line.find(':')));
    if (level && line.find(':') != std::string_view::npos &&
        CutValue(StackValue(line), width))
      levels.push_back(static_cast<int>(*level));
  }
  return levels;
}

bool IsRenamedUpload(std::string_view stored, std::string_view name) {
  if (stored.size() < name.size() + 2 || stored.substr(0, name.size()) != name ||
      stored[name.size()] != '.')
    return false;
  for (char c : stored.substr(name.size() + 1))
    if (c < '0' || c > '9') return false;
  return true;
}

std::optional<long> StackInteger(std::string_view value) {
  if (value.size() > 1 && value.back() == '.') value.remove_suffix(1);
  const bool negative = !value.empty() && value.front() == '-';
  if (negative) value.remove_prefix(1);
  if (value.empty() || value.size() > 15) return std::nullopt;
  long number = 0;
  for (char c : value) {
    if (c < '0' || c > '9') return std::nullopt;
    number = number * 10 + (c - '0');
  }
  return negative ? -number : number;
}

std::string NotEnteredMessage(std::string_view wanted, const std::vector<std::string>& reached,
                              std::string_view calculator) {
  const std::vector<std::string> names = PathNames(wanted);
  const std::string unchanged = "\nNothing was changed.";
  const std::string who(calculator);
  if (reached.size() != names.size() + 1)
    return "The " + who + " did not say where it went on the way to " + std::string(wanted) +
           unchanged;
  std::string expected = "HOME\\";
  for (size_t i = 0; i < names.size(); ++i) {
    const std::string parent = expected;
    expected += names[i] + "\\";
    if (reached[i + 1] != expected)
      return std::string(wanted) + " cannot be entered: " + names[i] + " in " + parent +
             " is not a directory." + unchanged;
  }
  return "The " + who + " is not in " + std::string(wanted) + unchanged;
}

bool ParseCalculatorState(std::string_view reply, CalculatorState& out) {
  if (!ErrorLine(reply).empty()) return false;
  std::vector<std::string_view> lines = EndedLines(reply);
  if (lines.size() < 4) return false;
  const size_t n = lines.size();
  bool dotted = false;
  const int translation = SingleDigit(StackValue(lines[n - 2]), 0, 3, &dotted);
  const int checksum = SingleDigit(StackValue(lines[n - 3]), 1, 3, &dotted);
  const int flag = SingleDigit(StackValue(lines[n - 4]), 0, 1, &dotted);
  if (translation < 0 || checksum < 0 || flag < 0) return false;
  // A model that shows only the start of a long value cuts a deep path's
  // list short: the listing's first line must then tell the path.
  const size_t width = ModelOfStateReply(dotted).StackValueWidth;
  std::string_view path_value = StackValue(lines[n - 1]);
  const bool path_cut = width > 0 && CutValue(path_value, width) &&
                        PathFromList(path_value).rfind("HOME\\", 0) == 0;
  std::string path;
  if (!path_cut) {
    if (path_value.size() < 2 || path_value.front() != '{' || path_value.back() != '}')
      return false;
    path = PathFromList(path_value);
    if (path.rfind("HOME\\", 0) != 0) return false;
  }
  out.DottedNumbers = dotted;
  out.PathCut = path_cut;
  out.BinaryMode = flag == 1;
  out.ChecksumType = checksum;
  out.TranslationMode = translation;
  out.Path = std::move(path);
  return true;
}

std::string PathInReply(std::string_view reply) {
  size_t open = reply.rfind('{');
  if (open == std::string_view::npos) return {};
  size_t close = reply.find('}', open);
  if (close == std::string_view::npos) return {};
  return PathFromList(reply.substr(open, close - open + 1));
}

std::string TopOfStack(std::string_view reply) {
  std::vector<std::string_view> lines = EndedLines(reply);
  if (lines.empty() || lines.back().substr(0, 2) != "1:") return {};
  return std::string(StackValue(lines.back()));
}

std::string_view ErrorLine(std::string_view reply) {
  if (reply.substr(0, 6) != "Error:") return {};
  size_t end = reply.find_first_of("\r\n");
  return reply.substr(0, end);
}

int StackDepthInReply(std::string_view reply) {
  if (!ErrorLine(reply).empty()) {
    const size_t end = reply.find("\r\n");
    reply = end == std::string_view::npos ? std::string_view() : reply.substr(end + 2);
  }
  if (reply.substr(0, 11) == "Empty Stack") return 0;
  int depth = 0;
  size_t i = 0;
  while (i < reply.size() && i < 7 && reply[i] >= '0' && reply[i] <= '9')
    depth = depth * 10 + (reply[i++] - '0');
  return i > 0 && i < reply.size() && reply[i] == ':' ? depth : -1;
}

std::string StorableNameCommand(std::string_view name) {
  return "'" + std::string(name) + "' TYPE 6 ==";
}

std::vector<std::string> PurgeCommands(const std::vector<std::string>& names) {
  constexpr std::string_view kEnd = "} PURGE";
  std::vector<std::string> commands;
  std::string list = "{";
  for (const std::string& name : names) {
    if (list.size() > 1 && list.size() + name.size() + 1 + kEnd.size() > kMaxCommandText) {
      commands.push_back(list + std::string(kEnd));
      list = "{";
    }
    list += name + " ";
  }
  if (list.size() > 1) commands.push_back(list + std::string(kEnd));
  return commands;
}

std::string SetTransferFormatCommand(bool binary) {
  return std::string("-35 ") + (binary ? "SF" : "CF");
}

std::string SetCalculatorIOCommand(int translation_mode, int checksum_type) {
  return std::string(1, Digit(translation_mode)) + " TRANSIO " + Digit(checksum_type) +
         " CKSM 0 PARITY";
}

std::string MakeDirectoryCommand(std::string_view name) {
  return "'" + std::string(name) + "' CRDIR";
}

std::string ArchiveCommand(std::string_view name, int translation_mode) {
  if (translation_mode == 3) return ":IO:" + std::string(name) + " \\<<ARCHIVE SERVER\\>>";
  return ":IO:" + std::string(name) + " \\<<" + Digit(translation_mode) +
         " TRANSIO ARCHIVE SERVER\\>>";
}

std::string ArchiveRunnerProgram(std::string_view name, int translation_mode) {
  std::string text = "\\<<";
  if (translation_mode != 3) text += std::string(1, Digit(translation_mode)) + " TRANSIO ";
  return text + ":IO:" + std::string(name) + " ARCHIVE SERVER\\>>";
}

std::string RestoreCommand(std::string_view name) {
  return "'" + std::string(name) + "' RCL RESTORE";
}

std::string PurgeCommand(std::string_view name) { return "'" + std::string(name) + "' PURGE"; }

std::string MoveProgram(const std::vector<std::string>& names, std::string_view destination,
                        std::string_view source, bool replace) {
  std::string text(kProgramHeader);
  text += "\\<<{";
  for (const std::string& name : names) text += name + " ";
  text += "} " + DestinationList(destination) + " " + ListForm(source);
  // E enters the path list on the stack as EnterPathCommands does: from
  // HOME, each name only when it holds a directory.
  text +=
      " \\-> L D P \\<< \\<< HOME TAIL WHILE DUP SIZE REPEAT DUP HEAD "
      "IF 15 TVARS OVER POS THEN EVAL ELSE DROP END TAIL END DROP \\>> \\-> E \\<<"
      "P E EVAL L SIZE 1 FOR A L A GET DUP DUP RCL SWAP D E EVAL ";
  // In D, with the name, the value and the name on the stack: store only
  // when the calculator got to D and the name is free there (or may be
  // replaced); only when the store worked go back to P and purge the name
  // there (PGDIR when it is a non-empty directory). Anything else drops the
  // three and goes back to P: the object stays where it was.
  text += replace ? "IF PATH D SAME THEN DUP IFERR PURGE THEN PGDIR END "
                  : "IF PATH D SAME VARS 3 PICK POS NOT AND THEN ";
  text +=
      "IFERR STO P E EVAL IFERR PURGE THEN PGDIR END THEN P E EVAL 3 DROPN END "
      "ELSE P E EVAL 3 DROPN END -1 STEP \\>> \\>> \\>>";
  return text;
}

std::string MoveRunCommand() {
  std::string name(kMoveProgramName);
  return name + " '" + name + "' PURGE";
}

std::string XModemProgram(const std::vector<std::string>& names, bool calculator_receives) {
  std::string text(kProgramHeader);
  text += "\\<< IFERR { ";
  for (const std::string& name : names) text += name + " ";
  text += calculator_receives ? "} XRECV" : "} XSEND";
  // An error in the transfer must not stop the runner that purges this
  // program and restarts the server, nor leave the list on the stack.
  text += " THEN DROP END \\>>";
  return text;
}

std::string XModemRunCommand(int translation_mode) {
  std::string name(kXModemProgramName);
  std::string text = "\\<<" + name + " '" + name + "' PURGE ";
  if (translation_mode != 3) text += std::string(1, Digit(translation_mode)) + " TRANSIO ";
  return text + "SERVER\\>>";
}

std::string StoreRunnerCommand(std::string_view program) {
  return std::string(program) + " '" + std::string(kRunnerName) + "' STO";
}

}  // namespace dravik::hp48
