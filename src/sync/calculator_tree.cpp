#include "sync/calculator_tree.h"

#include "link/hp48_commands.h"
#include "listing/hp_path.h"
#include "listing/listing_parser.h"

namespace dravik::sync {
namespace {

constexpr int kListingTries = 3;

}  // namespace

const CalculatorDirectory* CalculatorTree::Find(const std::string& path) const {
  for (const CalculatorDirectory& d : directories)
    if (d.path == path) return &d;
  return nullptr;
}

bool Stopped(CHP48Link& link) { return link.m_cancel || link.session().LinkClosedByUser; }

bool ListDirectory(CHP48Link& link, const std::string& path, std::string* error) {
  Session& session = link.session();
  session.CurrentHPPath = path;
  std::string listed;
  for (int attempt = 0; attempt < kListingTries && !Stopped(link); ++attempt) {
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
                                  const StepReport& report) {
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
    for (ListingLine& line : ListingLines(link.DirectoryListing))
      dir.objects.push_back({std::move(line.name), std::move(line.type), std::move(line.size),
                             std::move(line.checksum)});
    // Depth first, the subdirectories in listing order.
    for (auto it = dir.objects.rbegin(); it != dir.objects.rend(); ++it)
      if (it->IsDirectory() && hp48::IsCalculatorName(it->name))
        pending.push_back(hp_path::Child(path, it->name));
    tree.directories.push_back(std::move(dir));
  }
  tree.ok = pending.empty() && tree.error.empty();
  link.session().CurrentHPPath = shown;
  return tree;
}

}  // namespace dravik::sync
