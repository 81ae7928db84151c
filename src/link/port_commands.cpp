#include "link/port_commands.h"

#include <array>

#include "link/hp48_charset.h"
#include "link/hp48_commands.h"

namespace dravik::hp48 {
namespace {

// The stack levels a reply shows, highest first, each value trimmed; a
// value the calculator wrote over several lines is joined by blanks.
std::vector<std::string> LevelValues(std::string_view reply) {
  std::vector<std::string> values;
  if (!ErrorLine(reply).empty()) {
    const size_t end = reply.find("\r\n");
    reply = end == std::string_view::npos ? std::string_view() : reply.substr(end + 2);
  }
  size_t start = 0;
  while (start < reply.size()) {
    size_t end = reply.find('\n', start);
    if (end == std::string_view::npos) end = reply.size();
    std::string_view line = reply.substr(start, end - start);
    start = end + 1;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    size_t digits = 0;
    while (digits < line.size() && line[digits] >= '0' && line[digits] <= '9') ++digits;
    const bool labelled = digits > 0 && digits < line.size() && line[digits] == ':';
    if (labelled) {
      line.remove_prefix(digits + 1);
      values.emplace_back();
    } else if (values.empty()) {
      continue;  // "Empty Stack" or anything else before the first level
    }
    const size_t first = line.find_first_not_of(" \t");
    const size_t last = line.find_last_not_of(" \t");
    if (first == std::string_view::npos) continue;
    std::string& value = values.back();
    if (!value.empty()) value += ' ';
    value.append(line.substr(first, last - first + 1));
  }
  return values;
}

// The last count levels, or none when the reply shows fewer.
std::optional<std::vector<std::string>> LastLevels(std::string_view reply, size_t count) {
  std::vector<std::string> values = LevelValues(reply);
  if (values.size() < count) return std::nullopt;
  return std::vector<std::string>(values.end() - static_cast<long>(count), values.end());
}

// A tag as a list writes it before a name: ":1:" or, on a 49's stack, "1:".
size_t TagLength(std::string_view token) {
  size_t at = !token.empty() && token.front() == ':' ? 1 : 0;
  const size_t digits = at;
  while (at < token.size() && token[at] >= '0' && token[at] <= '9') ++at;
  if (at == digits || at >= token.size() || token[at] != ':') return 0;
  return at + 1;
}

std::string WithoutDot(std::string_view number) {
  if (number.size() > 1 && number.back() == '.') number.remove_suffix(1);
  return std::string(number);
}

// A listing's size field of an object of `bytes` bytes under a name of
// name_length characters: the object, the name twice over (once as
// characters, once as its length) and the link in the directory.
std::string ListingSize(std::string_view bytes, size_t name_length) {
  const size_t dot = bytes.find('.');
  const std::optional<long> whole = StackInteger(bytes.substr(0, dot));
  if (!whole) return std::string(bytes);
  const bool half = dot != std::string_view::npos && bytes.substr(dot + 1, 1) == "5";
  const long halves = 2 * *whole + (half ? 1 : 0) + 9 + 2 * static_cast<long>(name_length);
  return std::to_string(halves / 2) + (halves % 2 ? ".5" : "");
}

constexpr std::array<std::string_view, 30> kTypeWords{
    "Real Number",    "Complex Number", "String",        "Real Array",      "Complex Array",
    "List",           "Global Name",    "Local Name",    "Program",         "Algebraic",
    "Binary Integer", "Graphic",        "Tagged",        "Unit",            "XLIB Name",
    "Directory",      "Library",        "Backup",        "Function",        "Command",
    "System Binary",  "Long Real",      "Long Complex",  "Linked Array",    "Character",
    "Code",           "Library Data",   "Extended Object", "Integer",       "Symbolic Matrix",
};

}  // namespace

std::string TaggedName(int port, std::string_view name) {
  return ":" + std::to_string(port) + ":" + std::string(name);
}

std::string PortVariablesCommand(int port) { return std::to_string(port) + " PVARS"; }

std::string PortListToTemporaryCommand(int port) {
  return PortVariablesCommand(port) + " DROP '" + std::string(kTemporaryName) + "' STO";
}

PortVariables ParsePortVariables(std::string_view reply, size_t width) {
  PortVariables out;
  if (!ErrorLine(reply).empty()) return out;
  const std::optional<std::vector<std::string>> levels = LastLevels(reply, 2);
  if (!levels || (*levels)[0].empty() || (*levels)[0].front() != '{') return out;
  // A card merged into main memory answers "SYSRAM": it holds nothing of
  // its own.
  if ((*levels)[1].empty() || (*levels)[1].front() == '"') return out;
  out.available = true;
  const std::string& list = (*levels)[0];
  // A whole list ends with its brace; a calculator that cuts long values
  // short cuts it anywhere, even in a name.
  out.cut = width > 0 && list.back() != '}';
  if (!out.cut) out.names = NamesInPortList(list);
  out.free = WithoutDot((*levels)[1]);
  return out;
}

std::vector<std::string> NamesInPortList(std::string_view list) {
  const size_t open = list.find('{');
  if (open != std::string_view::npos) list.remove_prefix(open + 1);
  const size_t close = list.rfind('}');
  if (close != std::string_view::npos) list = list.substr(0, close);
  std::vector<std::string> names;
  size_t at = 0;
  while (at < list.size()) {
    const size_t start = list.find_first_not_of(" ,\r\n\t", at);
    if (start == std::string_view::npos) break;
    size_t end = list.find_first_of(" ,\r\n\t", start);
    if (end == std::string_view::npos) end = list.size();
    at = end;
    std::string_view token = list.substr(start, end - start);
    token.remove_prefix(TagLength(token));
    if (token.empty()) continue;
    std::string name = FromAsciiSpelling(token);
    if (IsLibraryNumber(WithoutDot(name))) name = WithoutDot(name);
    names.push_back(std::move(name));
  }
  return names;
}

bool IsLibraryNumber(std::string_view name) {
  if (name.empty() || name.size() > 4) return false;
  for (char c : name)
    if (c < '0' || c > '9') return false;
  return true;
}

std::vector<EntryQuery> EntryQueries(int port, const std::vector<std::string>& names,
                                     size_t drop_first) {
  std::vector<EntryQuery> queries;
  for (size_t i = 0; i < names.size(); ++i) {
    const std::string tagged = TaggedName(port, names[i]);
    // A library leaves what the stack shows of it (its number and title)
    // where another object leaves its type number.
    const std::string query = IsLibraryNumber(names[i]) ? tagged + " RCL DUP BYTES"
                                                        : tagged + " DUP VTYPE SWAP RCL BYTES";
    if (!queries.empty()) {
      EntryQuery& last = queries.back();
      const std::string longer = last.command + " " + query;
      if (FitsOnePacket(longer)) {
        last.command = longer;
        ++last.count;
        continue;
      }
    }
    const size_t levels = queries.empty() ? drop_first : queries.back().count * kLevelsPerEntry;
    const std::string drop = levels ? std::to_string(levels) + " DROPN " : "";
    queries.push_back({drop + query, i, 1});
  }
  return queries;
}

bool ReadEntryReply(std::string_view reply, const EntryQuery& query,
                    std::vector<PortEntry>& entries) {
  if (!ErrorLine(reply).empty()) return false;
  const std::optional<std::vector<std::string>> levels =
      LastLevels(reply, query.count * kLevelsPerEntry);
  if (!levels) return false;
  for (size_t k = 0; k < query.count; ++k) {
    PortEntry& entry = entries.at(query.first + k);
    const std::string& kind = (*levels)[k * kLevelsPerEntry];
    const std::optional<unsigned long> checksum =
        BinaryIntegerValue((*levels)[k * kLevelsPerEntry + 1]);
    const std::string& bytes = (*levels)[k * kLevelsPerEntry + 2];
    if (!checksum) return false;
    if (const std::optional<LibraryShown> library = ReadLibraryShown(kind)) {
      entry.type = "Library";
      entry.title = library->title;
    } else {
      const std::optional<long> vtype = StackInteger(kind);
      if (!vtype) return false;
      entry.type = TypeWordOf(*vtype);
    }
    entry.checksum = std::to_string(*checksum);
    entry.size = ListingSize(WithoutDot(bytes), entry.name.size());
  }
  return true;
}

std::optional<unsigned long> BinaryIntegerValue(std::string_view shown) {
  if (shown.size() < 4 || shown.substr(0, 2) != "# ") return std::nullopt;
  const char base_letter = shown.back();
  const std::string_view digits = shown.substr(2, shown.size() - 3);
  const int base = base_letter == 'd' ? 10 : base_letter == 'h' ? 16 : base_letter == 'o' ? 8
                   : base_letter == 'b' ? 2 : 0;
  if (base == 0 || digits.empty() || digits.size() > 20) return std::nullopt;
  unsigned long value = 0;
  for (char c : digits) {
    int digit = c >= '0' && c <= '9' ? c - '0' : c >= 'A' && c <= 'F' ? c - 'A' + 10 : 99;
    if (digit >= base) return std::nullopt;
    value = value * static_cast<unsigned long>(base) + static_cast<unsigned long>(digit);
  }
  return value;
}

std::string TypeWordOf(long vtype) {
  if (vtype < 0 || static_cast<size_t>(vtype) >= kTypeWords.size()) return "Extended Object";
  return std::string(kTypeWords[static_cast<size_t>(vtype)]);
}

std::optional<LibraryShown> ReadLibraryShown(std::string_view shown) {
  constexpr std::string_view kWord = "Library ";
  if (shown.substr(0, kWord.size()) != kWord) return std::nullopt;
  shown.remove_prefix(kWord.size());
  const size_t colon = shown.find(':');
  const std::optional<long> number = StackInteger(shown.substr(0, colon));
  if (colon == std::string_view::npos || !number || *number < 0) return std::nullopt;
  shown.remove_prefix(colon + 1);
  const size_t first = shown.find_first_not_of(' ');
  const size_t last = shown.find_last_not_of(' ');
  LibraryShown out{static_cast<int>(*number), {}};
  if (first != std::string_view::npos)
    out.title = FromAsciiSpelling(shown.substr(first, last - first + 1));
  return out;
}

std::string PortListingText(int port, std::string_view free, const std::vector<PortEntry>& entries) {
  std::string text = "{ " + TaggedName(port, "") + " } " + std::string(free) + "\r\n";
  for (const PortEntry& e : entries) {
    text += e.name + " " + e.size + " " + e.type;
    // The title goes between quotes, which no type word holds.
    if (!e.title.empty()) text += " \"" + e.title + "\"";
    text += " " + e.checksum + "\r\n";
  }
  return text;
}

std::string FetchToTemporaryCommand(int port, std::string_view name) {
  return TaggedName(port, name) + " RCL '" + std::string(kTemporaryName) + "' STO";
}

std::string PurgeTemporaryCommand(bool directory) {
  return "'" + std::string(kTemporaryName) + (directory ? "' PGDIR" : "' PURGE");
}

std::string VariableTypeCommand(std::string_view name) {
  return "'" + std::string(name) + "' VTYPE";
}

std::string MoveIntoPortCommand(std::string_view stored, int port, std::string_view port_name,
                                bool library) {
  const std::string quoted = "'" + std::string(stored) + "'";
  const std::string target = library ? std::to_string(port) : TaggedName(port, port_name);
  return quoted + " RCL " + target + " STO " + quoted + " PURGE";
}

std::vector<std::string> PortPurgeCommands(int port, const std::vector<std::string>& names) {
  std::vector<std::string> commands;
  std::string list;
  for (const std::string& name : names) {
    const std::string longer = list + TaggedName(port, name) + " ";
    if (!list.empty() && !FitsOnePacket("{ " + longer + "} PURGE")) {
      commands.push_back("{ " + list + "} PURGE");
      list = TaggedName(port, name) + " ";
    } else {
      list = longer;
    }
  }
  if (!list.empty()) commands.push_back("{ " + list + "} PURGE");
  return commands;
}

std::string AttachCommand(int number) { return std::to_string(number) + " ATTACH"; }
std::string DetachCommand(int number) { return std::to_string(number) + " DETACH"; }

bool IsObjectInUse(std::string_view reply) { return ErrorLine(reply) == "Error: Object In Use"; }

bool IsPortNotAvailable(std::string_view reply) {
  return ErrorLine(reply) == "Error: Port Not Available";
}

}  // namespace dravik::hp48
