#include "app/compare_texts.h"

#include <cstdio>
#include <cstdlib>

namespace dravik {
namespace {

using sync::ComparisonRow;
using sync::PcKind;
using sync::RowState;

// The engine's reasons end with a hint at the command-line option that
// would settle the row ("(--replace overwrites it)", ", not compared
// (--fetch-unknown compares it)"); the window has no such options.
std::string WithoutOptionHint(std::string text) {
  const size_t hint = text.find(" (--");
  if (hint != std::string::npos) text.erase(hint);
  const std::string tail = ", not compared";
  if (text.size() > tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0)
    text.erase(text.size() - tail.size());
  return text;
}

std::string Side(const std::string& who, const std::string& type, const std::string& other_type,
                 const std::string& size, const std::string& checksum) {
  std::string text = who;
  if (type != other_type) text += " " + type;
  return text + " " + size + " bytes " + ChecksumText(checksum);
}

// Why an object differs, from what both sides list of it.
std::string DiffersTip(const ComparisonRow& row) {
  if (row.calc && row.pc && row.pc->kind == PcKind::BinaryObject && !row.calc->IsDirectory()) {
    const sync::CalculatorObject& c = *row.calc;
    const sync::PcObject& p = *row.pc;
    return "Differs: " + Side("calculator", c.type, p.type, c.size, c.checksum) + ", " +
           Side("PC", p.type, c.type, p.size, p.checksum);
  }
  return "Differs: " + WithoutOptionHint(row.reason);
}

std::string OneSideTip(const char* where, const ComparisonRow& row) {
  std::string tip = where;
  if (!row.reason.empty()) tip += " (" + WithoutOptionHint(row.reason) + ")";
  return tip;
}

// "CHESS\MOVES, HISCORE and 2 more": the objects below a directory, by
// their path inside it.
std::string Listed(const std::vector<std::string>& names) {
  constexpr size_t kShown = 3;
  std::string text;
  for (size_t i = 0; i < names.size() && i < kShown; ++i) {
    if (i > 0) text += i + 1 == names.size() ? " and " : ", ";
    text += names[i];
  }
  if (names.size() > kShown) text += " and " + std::to_string(names.size() - kShown) + " more";
  return text;
}

}  // namespace

const char* StateName(RowState state) {
  switch (state) {
    case RowState::Same: return "Same";
    case RowState::Differs: return "Differs";
    case RowState::OnlyOnCalculator: return "Only on the calculator";
    case RowState::OnlyOnPc: return "Only on the PC";
    case RowState::Unknown: break;
  }
  return "Not compared";
}

std::string ChecksumText(const std::string& listed) {
  if (listed.empty()) return "without checksum";
  char* end = nullptr;
  const unsigned long value = std::strtoul(listed.c_str(), &end, 10);
  if (*end != '\0' || value > 0xFFFF) return listed;
  char text[16];
  std::snprintf(text, sizeof text, "#%04lXh", value);
  return text;
}

RowMark MarkOfRow(const sync::Comparison& comparison, size_t index) {
  const ComparisonRow& row = comparison.rows[index];
  RowMark mark{row.state, {}};
  if (row.BothDirectories() && row.state == RowState::Same) {
    const sync::DirectoryContents contents = sync::ContentsOf(comparison, index);
    mark.state = contents.state;
    if (contents.state == RowState::Differs)
      mark.tip = "Differs: " + sync::CountOfObjects(contents.apart.size()) +
                 " inside not the same (" + Listed(contents.apart) + ")";
    else if (contents.state == RowState::Unknown)
      mark.tip = "Not compared: " + sync::CountOfObjects(contents.uncompared.size()) +
                 " inside (" + Listed(contents.uncompared) + ")";
    else
      mark.tip = "Same";
    return mark;
  }
  switch (row.state) {
    case RowState::Same: mark.tip = "Same"; break;
    case RowState::Differs: mark.tip = DiffersTip(row); break;
    case RowState::OnlyOnCalculator: mark.tip = OneSideTip("Only on the calculator", row); break;
    case RowState::OnlyOnPc: mark.tip = OneSideTip("Only on the PC", row); break;
    case RowState::Unknown: mark.tip = "Not compared: " + WithoutOptionHint(row.reason); break;
  }
  return mark;
}

std::string ActionText(const sync::SyncAction& action) {
  using sync::ActionKind;
  switch (action.kind) {
    case ActionKind::Fetch:
      return action.replaces ? "Copy to the PC, replacing the PC file" : "Copy to the PC";
    case ActionKind::Send:
      return action.replaces ? "Copy to the calculator, replacing its object"
                             : "Copy to the calculator";
    case ActionKind::MakePcFolder: return "New folder on the PC";
    case ActionKind::MakeCalcDirectory: return "New directory on the calculator";
    case ActionKind::DeleteOnPc: return "Delete on the PC";
    case ActionKind::DeleteOnCalculator: return "Delete on the calculator";
    case ActionKind::Keep: break;
  }
  return "Stays: " + WithoutOptionHint(action.why);
}

}  // namespace dravik
