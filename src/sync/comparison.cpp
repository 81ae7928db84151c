#include "sync/comparison.h"

#include <map>

#include "link/hp48_commands.h"
#include "listing/hp_path.h"
#include "sync/pc_names.h"
#include "sync/port_folders.h"

namespace dravik::sync {
namespace {

std::string JoinKey(const std::string& key, const std::string& name) {
  return key.empty() ? name : key + "\\" + name;
}

// The state of an object that both sides have.
void DecideBoth(ComparisonRow& row, const SyncManifest& manifest) {
  const CalculatorObject& c = *row.calc;
  const PcObject& p = *row.pc;
  const bool folder = p.kind == PcKind::Folder;
  if (c.IsDirectory() || folder) {
    const bool both = c.IsDirectory() && folder;
    row.state = both ? RowState::Same : RowState::Differs;
    if (!both)
      row.reason = c.IsDirectory() ? "a directory on the calculator, a file on the PC"
                                   : "a folder on the PC, an object on the calculator";
    return;
  }
  if (p.kind == PcKind::BinaryObject) {
    row.state = RowState::Differs;
    if (c.checksum.empty()) {
      row.state = RowState::Unknown;
      row.reason = "the server lists no checksum";
    } else if (c.type != p.type) {
      row.reason = c.type + " on the calculator, " + p.type + " on the PC";
    } else if (c.size != p.size) {
      row.reason = "size " + c.size + " on the calculator, " + p.size + " on the PC";
    } else if (c.checksum != p.checksum) {
      row.reason = "checksum differs";
    } else {
      row.state = RowState::Same;
    }
    return;
  }
  // No checksum of its own: only the last sync can tell.
  row.state = RowState::Unknown;
  if (!p.regular_file) {
    row.reason = p.reason;
    return;
  }
  const ManifestEntry* last = manifest.Find(row.key);
  if (!last) {
    row.reason = (p.kind == PcKind::TextObject ? std::string("a text file")
                                               : "not a calculator object") +
                 ", not compared (--fetch-unknown compares it)";
    return;
  }
  row.state = RowState::Differs;
  if (last->file_hash != p.hash || last->file_bytes != p.bytes)
    row.reason = "changed on the PC since the last sync";
  else if (last->calc_size != c.size || last->calc_checksum != c.checksum || c.checksum.empty())
    row.reason = "changed on the calculator since the last sync";
  else
    row.state = RowState::Same;
}

class Joiner {
 public:
  Joiner(const CalculatorTree& calc, const PcTree& pc, const SyncManifest& manifest,
         Comparison& out)
      : calc_(calc), pc_(pc), manifest_(manifest), out_(out) {}

  // One calculator directory (null: not on the calculator) against one PC
  // folder (null: not on the PC). blocked says why nothing below can move.
  void Join(const std::string& calc_path, const CalculatorDirectory* dir, const std::string& relative,
            const PcFolder* folder, const std::string& key, const std::string& blocked) {
    std::vector<std::string> names;
    if (dir)
      for (const CalculatorObject& o : dir->objects) names.push_back(o.name);
    const std::vector<std::string> pc_names = PcFileNames(names);
    // The PC entries by the calculator name they stand for; the first of
    // two that stand for one name is the one compared.
    std::map<std::string, const PcObject*> by_name;
    std::vector<const PcObject*> doubles;
    if (folder)
      for (const PcObject& p : folder->objects)
        if (!by_name.emplace(CalculatorName(p.name), &p).second) doubles.push_back(&p);
    for (size_t i = 0; i < names.size(); ++i) {
      ComparisonRow row = NewRow(calc_path, names[i], key);
      row.calc = dir->objects[i];
      const auto found = by_name.find(names[i]);
      if (found != by_name.end()) {
        row.pc = *found->second;
        row.pc_path = JoinRelative(relative, found->second->name);
        by_name.erase(found);
        DecideBoth(row, manifest_);
      } else {
        row.pc_path = JoinRelative(relative, pc_names[i]);
        row.state = RowState::OnlyOnCalculator;
        if (!IsSafeComponent(pc_names[i])) {
          row.state = RowState::Unknown;
          row.reason = "its PC name would be too long";
        }
      }
      Block(row, blocked);
      Add(std::move(row));
    }
    if (!folder) return;
    for (const PcObject& p : folder->objects) {
      const std::string name = CalculatorName(p.name);
      const auto found = by_name.find(name);
      if (found == by_name.end() || found->second != &p) continue;
      ComparisonRow row = NewRow(calc_path, name, key);
      row.pc = p;
      row.pc_path = JoinRelative(relative, p.name);
      row.state = RowState::OnlyOnPc;
      if (!p.regular_file && p.kind != PcKind::Folder) {
        row.state = RowState::Unknown;
        row.reason = p.reason;
      } else if (!hp48::IsCalculatorName(name)) {
        row.reason = "cannot be a calculator name: " + hp48::NameProblem(name);
      }
      Block(row, blocked);
      Add(std::move(row));
    }
    for (const PcObject* p : doubles) {
      ComparisonRow row = NewRow(calc_path, CalculatorName(p->name), key);
      row.pc = *p;
      row.pc_path = JoinRelative(relative, p->name);
      row.reason = "stands for the same calculator name as another PC file";
      Add(std::move(row));
    }
  }

 private:
  static ComparisonRow NewRow(const std::string& calc_path, const std::string& name,
                              const std::string& key) {
    ComparisonRow row;
    row.calc_directory = calc_path;
    row.name = name;
    row.key = JoinKey(key, name);
    return row;
  }

  static void Block(ComparisonRow& row, const std::string& blocked) {
    if (blocked.empty() || row.state == RowState::Same) return;
    row.state = RowState::Unknown;
    row.reason = blocked;
  }

  // Adds the row and, for a directory, what it holds on either side.
  void Add(ComparisonRow row) {
    const bool calc_dir = row.calc && row.calc->IsDirectory();
    const bool pc_folder = row.pc && row.pc->kind == PcKind::Folder;
    const std::string sub_calc = hp_path::Child(row.calc_directory, row.name);
    const std::string sub_relative = row.pc_path;
    const std::string sub_key = row.key;
    std::string blocked;
    if (calc_dir && row.pc && !pc_folder) blocked = "the PC has a file where the directory " + sub_relative + " would be";
    if (pc_folder && row.calc && !calc_dir) blocked = "the calculator has an object where the folder " + sub_relative + " would be";
    if (calc_dir && !hp48::IsCalculatorName(row.name)) {
      row.state = RowState::Unknown;
      row.reason = "a directory whose name cannot be entered: " + hp48::NameProblem(row.name);
      out_.rows.push_back(std::move(row));
      return;
    }
    out_.rows.push_back(std::move(row));
    if (!calc_dir && !pc_folder) return;
    const CalculatorDirectory* dir = calc_dir ? calc_.Find(sub_calc) : nullptr;
    const PcFolder* folder = pc_folder ? pc_.Find(sub_relative) : nullptr;
    Join(sub_calc, dir, sub_relative, folder, sub_key, blocked);
  }

  const CalculatorTree& calc_;
  const PcTree& pc_;
  const SyncManifest& manifest_;
  Comparison& out_;
};

}  // namespace

const char* StateWord(RowState state) {
  switch (state) {
    case RowState::Same: return "same";
    case RowState::Differs: return "differs";
    case RowState::OnlyOnCalculator: return "only-calc";
    case RowState::OnlyOnPc: return "only-pc";
    case RowState::Unknown: break;
  }
  return "unknown";
}

std::string ComparisonRow::Type() const {
  if (calc) return calc->type;
  if (pc && pc->kind == PcKind::Folder) return "Directory";
  return pc && !pc->type.empty() ? pc->type : "-";
}

std::string ComparisonRow::Size() const {
  if (calc) return calc->size;
  return pc && !pc->size.empty() ? pc->size : "-";
}

bool Comparison::AllSame() const {
  if (!ok) return false;
  for (const ComparisonRow& row : rows)
    if (row.state != RowState::Same) return false;
  return true;
}

DirectoryContents ContentsOf(const Comparison& comparison, size_t index) {
  DirectoryContents contents;
  const ComparisonRow& row = comparison.rows[index];
  if (!row.BothDirectories() || row.state != RowState::Same) return contents;
  // The rows below it follow it (tree order) and their keys begin with its own.
  const std::string below = row.key + "\\";
  for (size_t i = index + 1; i < comparison.rows.size(); ++i) {
    const ComparisonRow& inner = comparison.rows[i];
    if (inner.key.compare(0, below.size(), below) != 0) break;
    const std::string inside = inner.key.substr(below.size());
    if (inner.state == RowState::Unknown)
      contents.uncompared.push_back(inside);
    else if (inner.state != RowState::Same)
      contents.apart.push_back(inside);
  }
  if (!contents.apart.empty())
    contents.state = RowState::Differs;
  else if (!contents.uncompared.empty())
    contents.state = RowState::Unknown;
  return contents;
}

std::string CountOfObjects(size_t count) {
  return count == 1 ? "1 object" : std::to_string(count) + " objects";
}

Comparison CompareTrees(const CalculatorTree& calc, const PcTree& pc, const SyncManifest& manifest) {
  Comparison out;
  out.calc_root = calc.root;
  out.pc_root = pc.root;
  out.ok = calc.ok && pc.ok;
  out.error = !calc.ok ? calc.error : pc.error;
  if (!out.ok) return out;
  Joiner(calc, pc, manifest, out)
      .Join(calc.root, calc.Find(calc.root), "", pc.Find(""), "", "");
  return out;
}

Comparison Compare(CHP48Link& link, const std::string& calc_root, const std::string& pc_root,
                   const SyncManifest& manifest, const CompareOptions& options) {
  PcTree pc = ReadPcTree(pc_root);
  // HOME's folder holds the ports' folders too, each compared on its own.
  if (hp_path::IsHome(calc_root)) LeavePortFoldersOut(pc);
  if (hp_path::IsPort(calc_root)) LeaveSubfoldersOut(pc);
  if (!pc.ok) {
    Comparison failed;
    failed.calc_root = calc_root;
    failed.pc_root = pc.root;
    failed.error = pc.error;
    return failed;
  }
  const CalculatorTree calc = ReadCalculatorTree(link, calc_root, options.report, &manifest);
  Comparison out = CompareTrees(calc, pc, manifest);
  if (out.ok && options.fetch_unknown) SettleUnknownRows(link, out, options.report);
  return out;
}

}  // namespace dravik::sync
