#include "sync/calculator_tree.h"

#include "link/calculator_model.h"
#include "link/hp48_commands.h"
#include "listing/hp_path.h"
#include "listing/listing_parser.h"

namespace dravik::sync {
namespace {

constexpr int kListingTries = 3;

// The manifest's key of a directory: "HOME\A\B\" below "HOME\" is "A\B".
std::string KeyOf(const std::string& path, const std::string& root) {
  std::string key = path.substr(root.size());
  if (!key.empty()) key.pop_back();
  return key;
}

bool UnchangedSince(const CalculatorObject& dir, const std::string& key, const SyncManifest* known) {
  const ManifestEntry* last = known ? known->Find(key) : nullptr;
  return last && last->calc_type == "Directory" && !dir.checksum.empty() &&
         last->calc_size == dir.size && last->calc_checksum == dir.checksum;
}

// Adds the directory and everything below it as the manifest recorded them.
void AddKnown(CalculatorTree& tree, const std::string& path, const std::string& key,
              const SyncManifest& known) {
  CalculatorDirectory dir{path, {}};
  for (const auto& [name, e] : known.Inside(key))
    dir.objects.push_back({name, e.calc_type, e.calc_size, e.calc_checksum});
  tree.directories.push_back(dir);
  for (const CalculatorObject& o : dir.objects)
    if (o.IsDirectory())
      AddKnown(tree, hp_path::Child(path, o.name), key.empty() ? o.name : key + "\\" + o.name,
               known);
}

}  // namespace

const CalculatorDirectory* CalculatorTree::Find(const std::string& path) const {
  for (const CalculatorDirectory& d : directories)
    if (d.path == path) return &d;
  return nullptr;
}

void ReturnTo(CHP48Link& link, const std::string& path) {
  Session& session = link.session();
  session.CurrentHPPath = path;
  if (session.HPWorkingPath != path && !Stopped(link)) link.ChangeDirectory();
}

bool Stopped(CHP48Link& link) { return link.m_cancel || link.session().LinkClosedByUser; }

bool ListDirectory(CHP48Link& link, const std::string& path, std::string* error) {
  Session& session = link.session();
  session.CurrentHPPath = path;
  std::string listed;
  for (int attempt = 0; attempt < kListingTries && !Stopped(link); ++attempt) {
    if (!link.model().ListingNamesPath) {
      // The listing cannot say where the calculator is: the walk checks.
      std::string why;
      if (session.HPWorkingPath != path && !link.EnterDirectory(path, &why)) {
        if (why.empty()) continue;  // the line failed: try again
        *error = why;
        return false;
      }
      if (link.ReadDirectory()) return true;
      continue;
    }
    // The guarded commands of ChangeDirectory enter only what the
    // calculator lists as a directory; the listing's heading then tells
    // where it really is.
    if (session.HPWorkingPath != path && !link.ChangeDirectory()) continue;
    if (!link.ReadDirectory()) continue;
    const ParsedListing parsed = ParseListing(link.DirectoryListing);
    if (parsed.HasHeader && parsed.HeaderPath == path) return true;
    listed = parsed.HeaderPath;
    session.HPWorkingPath = listed;  // go again from where it is
  }
  if (Stopped(link))
    *error = "cancelled";
  else if (!listed.empty())
    *error = "cannot enter " + path + " (the calculator stays in " + listed + ")";
  else
    *error = "cannot read the listing of " + path;
  return false;
}

CalculatorTree ReadCalculatorTree(CHP48Link& link, const std::string& root,
                                  const StepReport& report, const SyncManifest* known) {
  CalculatorTree tree;
  tree.root = root;
  const std::string shown = link.session().CurrentHPPath;
  std::vector<std::string> pending{root};
  while (!pending.empty()) {
    if (Stopped(link)) {
      tree.error = "cancelled";
      break;
    }
    const std::string path = pending.back();
    pending.pop_back();
    if (report) report("Reading " + path);
    if (!ListDirectory(link, path, &tree.error)) break;
    CalculatorDirectory dir{path, {}};
    for (ListingLine& line : ListingLines(link.DirectoryListing)) {
      // A directory stored in a port is one object that cannot be entered,
      // and no folder on the PC: it is left out.
      if (hp_path::IsPort(path) && IsDirectoryType(line.type)) continue;
      dir.objects.push_back({std::move(line.name), std::move(line.type), std::move(line.size),
                             std::move(line.checksum)});
    }
    // Depth first, the subdirectories in listing order.
    for (auto it = dir.objects.rbegin(); it != dir.objects.rend(); ++it) {
      if (!it->IsDirectory() || !hp48::IsCalculatorName(it->name)) continue;
      const std::string child = hp_path::Child(path, it->name);
      if (UnchangedSince(*it, KeyOf(child, root), known))
        AddKnown(tree, child, KeyOf(child, root), *known);
      else
        pending.push_back(child);
    }
    tree.directories.push_back(std::move(dir));
  }
  tree.ok = pending.empty() && tree.error.empty();
  ReturnTo(link, shown);
  return tree;
}

}  // namespace dravik::sync
