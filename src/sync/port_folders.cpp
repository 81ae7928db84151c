#include "sync/port_folders.h"

#include <algorithm>

#include "listing/hp_path.h"
#include "sync/pc_names.h"

namespace dravik::sync {

std::string PortFolderName(int port) {
  std::string tag = hp_path::PortPath(port);
  tag.pop_back();  // the backslash
  return PcFileName(tag);
}

std::optional<int> PortOfFolder(std::string_view pc_name) {
  return hp_path::PortOf(CalculatorName(pc_name) + "\\");
}

void LeavePortFoldersOut(PcTree& tree) {
  if (tree.folders.empty()) return;
  std::vector<PcObject>& top = tree.folders.front().objects;
  std::vector<std::string> ports;
  for (const PcObject& o : top)
    if (o.kind == PcKind::Folder && PortOfFolder(o.name)) ports.push_back(o.name);
  if (ports.empty()) return;
  std::erase_if(top, [&](const PcObject& o) {
    return o.kind == PcKind::Folder && PortOfFolder(o.name).has_value();
  });
  std::erase_if(tree.folders, [&](const PcFolder& f) {
    return std::any_of(ports.begin(), ports.end(), [&](const std::string& p) {
      return f.relative == p || f.relative.rfind(p + "/", 0) == 0;
    });
  });
}

void LeaveSubfoldersOut(PcTree& tree) {
  if (tree.folders.empty()) return;
  tree.folders.resize(1);
  std::erase_if(tree.folders.front().objects,
                [](const PcObject& o) { return o.kind == PcKind::Folder; });
}

}  // namespace dravik::sync
