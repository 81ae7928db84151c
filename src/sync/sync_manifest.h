// The manifest ".dravik-sync" a sync or backup keeps in the top of its PC
// folder: for every file it left in step with the calculator, the file's
// content hash and the calculator object's size and checksum at that time.
//
// It lets a later sync tell which side changed: a PC file whose hash is
// still the one recorded has not been touched on the PC since, and a
// calculator object still listed with the recorded size and checksum has
// not been changed on the calculator. A sync overwrites or deletes only
// what is unchanged since it was last in step, unless --replace says so.
//
// The file is text, one line per entry after a heading that names the
// calculator directory the folder stands for:
//   dravik-sync 1 HOME\WORK\   (the directory)
//   9c1f0a6e3b7d5e21 27 16 47362 GAMES\HISCORE Real Number
//   0000000000000000 0 183.5 496 GAMES Directory
// (file hash, file bytes, calculator size, calculator checksum or "-",
// the object's path below that directory, names as the calculator has
// them, separated by backslashes, and its type). A directory is recorded
// only when everything in it was left in step: its size and checksum,
// which cover all it holds, then stand for its whole listing.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace dravik::sync {

inline constexpr std::string_view kManifestName = ".dravik-sync";

struct ManifestEntry {
  uint64_t file_hash = 0;
  uint64_t file_bytes = 0;
  std::string calc_size;
  std::string calc_checksum;  // empty when the server listed none
  std::string calc_type;      // "Real Number", "Directory"
};

// A file's content hash as the manifest records it (64-bit FNV-1a).
uint64_t ContentHash(const std::vector<uint8_t>& bytes);

class SyncManifest {
 public:
  // Reads folder/.dravik-sync. A missing file gives an empty manifest; so
  // does one written for another calculator directory than calc_root (the
  // folder then stands for a new directory, and nothing is known in step).
  // A damaged line is left out. note tells the user why entries were left
  // out, empty when none were.
  static SyncManifest Load(const std::string& folder, const std::string& calc_root,
                           std::string* note = nullptr);
  // Writes it through a temporary file renamed into place, so that an
  // interruption leaves the old manifest. False with error set on failure.
  bool Save(const std::string& folder, std::string* error) const;

  explicit SyncManifest(std::string calc_root = "HOME\\") : calc_root_(std::move(calc_root)) {}
  const std::string& calc_root() const { return calc_root_; }

  const ManifestEntry* Find(const std::string& key) const;
  void Set(const std::string& key, ManifestEntry entry) { entries_[key] = std::move(entry); }
  void Erase(const std::string& key) { entries_.erase(key); }
  // Removes the entry of key and of everything below it (key as a directory).
  void EraseTree(const std::string& key);
  // The entries directly inside the directory key ("" for the top), by name.
  std::vector<std::pair<std::string, ManifestEntry>> Inside(const std::string& key) const;
  // Keeps only the entries whose key is in keys.
  void KeepOnly(const std::vector<std::string>& keys);
  size_t size() const { return entries_.size(); }

 private:
  std::string calc_root_;
  std::map<std::string, ManifestEntry> entries_;
};

}  // namespace dravik::sync
