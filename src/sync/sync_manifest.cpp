#include "sync/sync_manifest.h"

#include <cinttypes>
#include <cstdio>
#include <fstream>
#include <set>
#include <sstream>
#include <system_error>

#include <filesystem>

namespace dravik::sync {
namespace {

constexpr std::string_view kHeading = "dravik-sync 1 ";

std::string ManifestPath(const std::string& folder) {
  return folder + (folder.empty() || folder.back() == '/' ? "" : "/") + std::string(kManifestName);
}

bool ParseEntry(const std::string& line, std::string& key, ManifestEntry& entry) {
  std::istringstream in(line);
  std::string hash, bytes, checksum;
  if (!(in >> hash >> bytes >> entry.calc_size >> checksum)) return false;
  if (!(in >> key)) return false;
  in >> std::ws;
  std::getline(in, entry.calc_type);
  if (hash.size() != 16 || bytes.empty()) return false;
  char* end = nullptr;
  entry.file_hash = std::strtoull(hash.c_str(), &end, 16);
  if (*end) return false;
  entry.file_bytes = std::strtoull(bytes.c_str(), &end, 10);
  if (*end) return false;
  entry.calc_checksum = checksum == "-" ? std::string() : checksum;
  return true;
}

}  // namespace

uint64_t ContentHash(const std::vector<uint8_t>& bytes) {
  uint64_t hash = 0xcbf29ce484222325ULL;
  for (uint8_t b : bytes) {
    hash ^= b;
    hash *= 0x100000001b3ULL;
  }
  return hash;
}

SyncManifest SyncManifest::Load(const std::string& folder, const std::string& calc_root,
                                std::string* note) {
  SyncManifest manifest(calc_root);
  std::ifstream in(ManifestPath(folder));
  if (!in) return manifest;
  std::string line;
  std::getline(in, line);
  if (line.rfind(kHeading, 0) != 0) {
    if (note) *note = std::string(kManifestName) + " is not a sync manifest: it is left out";
    return manifest;
  }
  const std::string root = line.substr(kHeading.size());
  if (root != calc_root) {
    if (note)
      *note = "the folder was last in step with " + root + ", not " + calc_root +
              ": nothing in it is known to be in step";
    return manifest;
  }
  int damaged = 0;
  while (std::getline(in, line)) {
    std::string key;
    ManifestEntry entry;
    if (ParseEntry(line, key, entry))
      manifest.entries_[key] = entry;
    else
      ++damaged;
  }
  if (damaged && note)
    *note = std::to_string(damaged) + " damaged line(s) of " + std::string(kManifestName) +
            " left out";
  return manifest;
}

bool SyncManifest::Save(const std::string& folder, std::string* error) const {
  const std::string path = ManifestPath(folder);
  const std::string temporary = path + ".new";
  {
    std::ofstream out(temporary, std::ios::trunc);
    out << kHeading << calc_root_ << '\n';
    for (const auto& [key, e] : entries_) {
      char hash[24];
      std::snprintf(hash, sizeof hash, "%016" PRIx64, e.file_hash);
      out << hash << ' ' << e.file_bytes << ' ' << e.calc_size << ' '
          << (e.calc_checksum.empty() ? "-" : e.calc_checksum) << ' ' << key << ' '
          << e.calc_type << '\n';
    }
    out.flush();
    if (!out) {
      std::remove(temporary.c_str());
      if (error) *error = "cannot write " + temporary;
      return false;
    }
  }
  std::error_code failed;
  std::filesystem::rename(temporary, path, failed);
  if (failed) {
    std::remove(temporary.c_str());
    if (error) *error = "cannot write " + path + ": " + failed.message();
    return false;
  }
  return true;
}

const ManifestEntry* SyncManifest::Find(const std::string& key) const {
  const auto it = entries_.find(key);
  return it == entries_.end() ? nullptr : &it->second;
}

void SyncManifest::EraseTree(const std::string& key) {
  const std::string below = key + "\\";
  for (auto it = entries_.begin(); it != entries_.end();) {
    if (it->first == key || it->first.rfind(below, 0) == 0)
      it = entries_.erase(it);
    else
      ++it;
  }
}

std::vector<std::pair<std::string, ManifestEntry>> SyncManifest::Inside(
    const std::string& key) const {
  const std::string prefix = key.empty() ? std::string() : key + "\\";
  std::vector<std::pair<std::string, ManifestEntry>> inside;
  for (auto it = entries_.lower_bound(prefix); it != entries_.end(); ++it) {
    if (it->first.compare(0, prefix.size(), prefix) != 0) break;
    const std::string name = it->first.substr(prefix.size());
    if (!name.empty() && name.find('\\') == std::string::npos) inside.emplace_back(name, it->second);
  }
  return inside;
}

void SyncManifest::KeepOnly(const std::vector<std::string>& keys) {
  const std::set<std::string> kept(keys.begin(), keys.end());
  for (auto it = entries_.begin(); it != entries_.end();)
    it = kept.count(it->first) ? std::next(it) : entries_.erase(it);
}

}  // namespace dravik::sync
