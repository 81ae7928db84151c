#include "hpfile/calculator_file.h"

#include <cstdio>
#include <utility>

namespace dravik {

namespace {

constexpr std::string_view kTextHeader = "%%HP:";

bool StartsWith(const std::vector<uint8_t>& bytes, std::string_view text) {
  return bytes.size() >= text.size() &&
         std::string_view(reinterpret_cast<const char*>(bytes.data()), text.size()) == text;
}

// The character between "X(" and ")" in the header, 0 when absent.
char HeaderSetting(std::string_view header, char key) {
  const char opening[3] = {key, '(', 0};
  const size_t at = header.find(opening);
  if (at == std::string_view::npos || at + 3 >= header.size() || header[at + 3] != ')') return 0;
  return header[at + 2];
}

TextFileHeader ReadTextHeader(const std::vector<uint8_t>& bytes) {
  std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
  text = text.substr(0, text.find(';'));
  TextFileHeader header;
  if (const char t = HeaderSetting(text, 'T'); t >= '0' && t <= '3') header.translation = t - '0';
  if (const char a = HeaderSetting(text, 'A'); a == 'D' || a == 'R' || a == 'G') header.angle = a;
  if (const char f = HeaderSetting(text, 'F'); f == '.' || f == ',') header.fraction_mark = f;
  return header;
}

std::string Where(const WalkFault& fault, std::string_view prefix) {
  std::string where(prefix);
  if (!fault.where.empty()) where += (where.empty() ? "" : "/") + fault.where;
  return where;
}

// "truncated at byte 97 (in HOME/IOPAR)", "damaged at byte 40 (in HOME/A): unknown prolog 12345"
std::string Damage(const WalkFault& fault, std::string_view prefix) {
  const bool cut = fault.what == "truncated";
  std::string text = std::string(cut ? "truncated" : "damaged") + " at byte " +
                     std::to_string(kBinaryHeaderBytes + fault.at / 2);
  const std::string where = Where(fault, prefix);
  if (!where.empty()) text += " (in " + where + ")";
  return cut ? text : text + ": " + fault.what;
}

// A backup: prolog, length, its name (length, characters, length), HOME
// as a directory, then the calculator's own trailing objects.
void ReadBackup(CalculatorFile& file) {
  const NibbleView in = file.nibbles();
  const size_t name_at = file.walk.object.start + 10;
  uint32_t length = 0, again = 0;
  if (!in.Field(name_at, 2, &length) || !in.Text(name_at + 2, length, &file.backup_name) ||
      !in.Field(name_at + 2 + 2 * length, 2, &again) || again != length) {
    file.home.fault = {name_at, "truncated", {}};
    return;
  }
  const size_t home_at = name_at + 4 + 2 * length;
  uint32_t prolog = 0;
  if (in.Field(home_at, 5, &prolog) && prolog != kPrologDirectory) {
    file.home.fault = {home_at, "no HOME directory in the backup", {}};
    return;
  }
  file.home = WalkObject(in, home_at, file.family);
}

// A broken object has a type but neither size nor checksum.
InspectRow Row(const NibbleView& in, const WalkedObject& object, std::string_view name, int depth) {
  const WalkedObject& o = Untagged(object);
  InspectRow row{depth, std::string(name), TypeWord(in, o), {}, {}, {}};
  if (o.whole && object.whole) {
    row.size = ListingSize(o.length, name.size());
    row.checksum = std::to_string(ObjectChecksum(in, o));
  }
  if (o.prolog == kPrologXlib) row.note = "listed as the library's object when that library is present";
  return row;
}

void AddEntries(const NibbleView& in, const WalkedObject& dir, int depth,
                std::vector<InspectRow>& rows) {
  // Newest first, as the calculator lists them.
  for (auto it = dir.entries.rbegin(); it != dir.entries.rend(); ++it) {
    const WalkedEntry& e = *it;
    if (e.name.empty()) continue;  // the hidden directory
    rows.push_back(Row(in, e.object, e.name, depth));
    const WalkedObject& o = Untagged(e.object);
    if (o.prolog == kPrologDirectory) AddEntries(in, o, depth + 1, rows);
  }
}

}  // namespace

std::string BinaryObjectText(CalculatorFamily family) {
  return std::string(FamilyName(family)) + " binary object";
}

NibbleView CalculatorFile::nibbles() const {
  std::span<const uint8_t> all(bytes);
  return NibbleView(all.size() >= kBinaryHeaderBytes ? all.subspan(kBinaryHeaderBytes)
                                                    : std::span<const uint8_t>());
}

bool CalculatorFile::complete() const {
  return kind == CalculatorFileKind::Binary && walk.ok && (!backup || home.ok);
}

CalculatorFile ReadCalculatorFile(std::vector<uint8_t> bytes) {
  CalculatorFile file;
  file.bytes = std::move(bytes);
  if (StartsWith(file.bytes, kTextHeader)) {
    file.kind = CalculatorFileKind::Text;
    file.header = ReadTextHeader(file.bytes);
    return file;
  }
  const std::optional<CalculatorFamily> family = FamilyOfBinary(file.bytes);
  if (!family) {
    file.reason = "not a calculator object (no HPHP48-, HPHP49- or %%HP: header)";
    return file;
  }
  file.family = *family;
  if (file.bytes.size() <= kBinaryHeaderBytes) {
    file.reason = "not a calculator object (nothing after the " +
                  std::string(BinaryHeaderOf(file.family)) + " header)";
    return file;
  }
  file.rom_letter = static_cast<char>(file.bytes[7]);
  uint32_t prolog = 0;
  if (!file.nibbles().Field(0, 5, &prolog)) {
    file.reason = "not a calculator object (truncated in its prolog)";
    return file;
  }
  if (!IsKnownProlog(prolog, file.family)) {
    char hex[8];
    std::snprintf(hex, sizeof hex, "%05X", prolog);
    file.reason = std::string("not a calculator object (unknown prolog ") + hex + ")";
    return file;
  }
  file.walk = WalkObject(file.nibbles(), 0, file.family);
  file.kind = CalculatorFileKind::Binary;
  file.backup = prolog == kPrologBackup;
  if (file.backup) {
    file.walk.object.prolog = kPrologBackup;
    ReadBackup(file);
    if (!file.home.ok) file.reason = Damage(file.home.fault, "HOME");
  }
  if (!file.walk.ok && file.reason.empty()) file.reason = Damage(file.walk.fault, "");
  return file;
}

std::vector<InspectRow> InspectRows(const CalculatorFile& file, std::string_view name) {
  InspectRow top{0, std::string(name), {}, {}, {}, {}};
  if (file.kind == CalculatorFileKind::NotAnObject) {
    top.note = file.reason;
    return {top};
  }
  if (file.kind == CalculatorFileKind::Text) {
    top.type = "Text";
    const TextFileHeader& h = file.header;
    top.note = "text transfer file, T(" +
               (h.translation >= 0 ? std::to_string(h.translation) : std::string("?")) + ") A(" +
               (h.angle ? std::string(1, h.angle) : "?") + ") F(" +
               (h.fraction_mark ? std::string(1, h.fraction_mark) : "?") + ")";
    return {top};
  }
  std::vector<InspectRow> rows;
  const NibbleView in = file.nibbles();
  const WalkedObject& o = Untagged(file.walk.object);
  rows.push_back(Row(in, file.walk.object, name, 0));
  const std::string family = BinaryObjectText(file.family);
  rows.back().note = rows.back().note.empty() ? family : family + "; " + rows.back().note;
  if (file.backup) AddEntries(in, file.home.object, 1, rows);
  if (o.prolog == kPrologDirectory) AddEntries(in, o, 1, rows);
  if (!file.reason.empty()) rows.push_back({1, {}, {}, {}, {}, file.reason});
  return rows;
}

}  // namespace dravik
