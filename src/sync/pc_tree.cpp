#include "sync/pc_tree.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

#include "hpfile/calculator_file.h"
#include "sync/pc_names.h"
#include "sync/sync_manifest.h"

namespace dravik::sync {
namespace fs = std::filesystem;

namespace {

bool ReadBytes(const std::string& path, uint64_t size, std::vector<uint8_t>& bytes) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  bytes.resize(size);
  in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(size));
  bytes.resize(static_cast<size_t>(in.gcount()));
  return !in.bad();
}

}  // namespace

std::string JoinRelative(const std::string& relative, const std::string& name) {
  return relative.empty() ? name : relative + "/" + name;
}

const PcFolder* PcTree::Find(const std::string& relative) const {
  for (const PcFolder& f : folders)
    if (f.relative == relative) return &f;
  return nullptr;
}

PcObject ReadPcFile(const std::string& path, const std::string& name,
                    const std::string& calculator_name) {
  PcObject object;
  object.name = name;
  std::error_code failed;
  const fs::file_status status = fs::symlink_status(path, failed);
  if (failed || !fs::is_regular_file(status)) {
    object.reason = fs::is_symlink(status) ? "a symbolic link (not followed)"
                                           : "not a regular file";
    return object;
  }
  object.regular_file = true;
  object.bytes = fs::file_size(path, failed);
  if (failed) {
    object.reason = "cannot be read: " + failed.message();
    return object;
  }
  if (object.bytes > kMaxObjectFileBytes) {
    object.reason = "too large for a calculator object";
    return object;
  }
  std::vector<uint8_t> bytes;
  if (!ReadBytes(path, object.bytes, bytes)) {
    object.reason = "cannot be read";
    return object;
  }
  object.bytes = bytes.size();
  object.hash = ContentHash(bytes);
  const CalculatorFile file = ReadCalculatorFile(std::move(bytes));
  switch (file.kind) {
    case CalculatorFileKind::Text:
      object.kind = PcKind::TextObject;
      object.type = "Text";
      return object;
    case CalculatorFileKind::NotAnObject:
      object.reason = file.reason;
      return object;
    case CalculatorFileKind::Binary:
      break;
  }
  if (!file.complete()) {
    object.reason = file.reason;
    return object;
  }
  const std::vector<InspectRow> rows = InspectRows(file, calculator_name);
  object.kind = PcKind::BinaryObject;
  object.type = rows.front().type;
  object.size = rows.front().size;
  object.checksum = rows.front().checksum;
  object.family = file.family;
  return object;
}

PcTree ReadPcTree(const std::string& given_root) {
  PcTree tree;
  tree.root = given_root.empty() || given_root.back() == '/' ? given_root : given_root + "/";
  std::error_code failed;
  // The folder the user named may itself be a link; nothing below it is followed.
  if (tree.root.empty() || !fs::is_directory(tree.root, failed)) {
    tree.error = tree.root + " is not a folder";
    return tree;
  }
  std::vector<std::string> pending{""};
  while (!pending.empty()) {
    const std::string relative = pending.back();
    pending.pop_back();
    const std::string folder_path = tree.root + (relative.empty() ? "" : relative + "/");
    PcFolder folder{relative, {}};
    fs::directory_iterator it(folder_path, failed), end;
    if (failed) {
      tree.error = "cannot read the folder " + folder_path + ": " + failed.message();
      return tree;
    }
    for (; it != end; it.increment(failed)) {
      const std::string name = it->path().filename().string();
      if (name.empty() || name.front() == '.') continue;
      const fs::file_status status = it->symlink_status(failed);
      if (fs::is_directory(status)) {
        PcObject sub;
        sub.name = name;
        sub.kind = PcKind::Folder;
        folder.objects.push_back(std::move(sub));
      } else {
        folder.objects.push_back(ReadPcFile(folder_path + name, name, CalculatorName(name)));
      }
    }
    if (failed) {
      tree.error = "cannot read the folder " + folder_path + ": " + failed.message();
      return tree;
    }
    std::sort(folder.objects.begin(), folder.objects.end(),
              [](const PcObject& a, const PcObject& b) { return a.name < b.name; });
    for (auto o = folder.objects.rbegin(); o != folder.objects.rend(); ++o)
      if (o->kind == PcKind::Folder) pending.push_back(JoinRelative(relative, o->name));
    tree.folders.push_back(std::move(folder));
  }
  tree.ok = true;
  return tree;
}

}  // namespace dravik::sync
