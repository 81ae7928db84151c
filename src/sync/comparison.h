// A calculator directory tree against a PC folder tree, object by object.
//
// Each row is one object or directory: same (name, type, size and checksum
// agree), differs, only on the calculator, only on the PC, or unknown (a PC
// file that is not in binary transfer form has no checksum to compare, and
// nothing tells whether it holds what the calculator holds). The rows are
// plain values, in tree order (a directory before what it holds), so a
// window can show them and a sync can plan from them on any thread.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "listing/hp_path.h"
#include "sync/calculator_tree.h"
#include "sync/pc_tree.h"
#include "sync/sync_manifest.h"

namespace dravik::sync {

enum class RowState { Same, Differs, OnlyOnCalculator, OnlyOnPc, Unknown };

// "same", "differs", "only-calc", "only-pc", "unknown".
const char* StateWord(RowState state);

struct ComparisonRow {
  RowState state = RowState::Unknown;
  std::string calc_directory;  // the calculator directory that holds it ("HOME\GAMES\")
  std::string name;            // its calculator name
  std::string pc_path;         // below the PC folder ("GAMES/HISCORE"), existing or to be made
  std::string key;             // below the calculator root ("GAMES\HISCORE"): the manifest's key
  std::optional<CalculatorObject> calc;  // what the calculator lists, when it has it
  std::optional<PcObject> pc;            // what the PC folder holds, when it has it
  std::string reason;          // why it differs or is unknown

  // "HOME\GAMES\HISCORE"; a port object as the calculator names it, ":1:NAME".
  std::string CalcPath() const {
    return hp_path::IsPort(calc_directory) ? calc_directory.substr(0, calc_directory.size() - 1) + name
                                           : calc_directory + name;
  }
  bool IsDirectory() const {
    return calc ? calc->IsDirectory() : pc && pc->kind == PcKind::Folder;
  }
  // A directory on the calculator and a folder on the PC: the same as a
  // directory, whatever each holds (ContentsOf says what that is).
  bool BothDirectories() const {
    return calc && calc->IsDirectory() && pc && pc->kind == PcKind::Folder;
  }
  // The type and size the calculator lists, else those of the PC file.
  std::string Type() const;
  std::string Size() const;
};

struct Comparison {
  std::string calc_root;  // "HOME\WORK\"
  std::string pc_root;    // ends with '/'
  std::vector<ComparisonRow> rows;
  bool ok = false;        // both trees were read whole
  std::string error;
  bool AllSame() const;
};

// What a directory that both sides have holds, read from the rows below
// it: it differs when anything inside differs or is on one side only, else
// it is not compared when anything inside is not, else it is the same. The
// window marks the directory so and dravik-cli prints it so.
struct DirectoryContents {
  RowState state = RowState::Same;
  // What differs or is on one side only, and what is not compared: each by
  // its path below the directory ("CHESS\MOVES"), in tree order.
  std::vector<std::string> apart;
  std::vector<std::string> uncompared;
};

// What rows[index] holds, for a row that BothDirectories() and is the same
// as a directory; any other row holds nothing (Same, no names).
DirectoryContents ContentsOf(const Comparison& comparison, size_t index);

// "1 object", "2 objects".
std::string CountOfObjects(size_t count);

// Joins two trees that were read (no line traffic). The manifest tells,
// for a PC file in text form, whether both sides are still as the last
// sync left them.
Comparison CompareTrees(const CalculatorTree& calc, const PcTree& pc, const SyncManifest& manifest);

struct CompareOptions {
  // Sends each PC file that could not be compared to the calculator under
  // a temporary name, compares the object the calculator makes of it by
  // its size and checksum, and purges it again.
  bool fetch_unknown = false;
  StepReport report;
};

// Reads both trees and joins them; with fetch_unknown also settles the
// unknown rows on the calculator. The link must be connected
// (QueryCalculatorState); cancel with the link's m_cancel.
Comparison Compare(CHP48Link& link, const std::string& calc_root, const std::string& pc_root,
                   const SyncManifest& manifest, const CompareOptions& options = {});

// What --fetch-unknown does to the unknown rows of a comparison.
void SettleUnknownRows(CHP48Link& link, Comparison& comparison, const StepReport& report);

}  // namespace dravik::sync
