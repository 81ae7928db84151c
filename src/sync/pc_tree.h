// A PC folder and everything below it, each file read with the
// calculator-file reader: what the calculator would list for it (type,
// size, checksum) when it is in binary transfer form.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "hpfile/calculator_family.h"

namespace dravik::sync {

// Larger files are not read: no calculator object is that large.
inline constexpr uint64_t kMaxObjectFileBytes = 1 << 20;

enum class PcKind {
  Folder,
  BinaryObject,  // "HPHP48-" or "HPHP49-" and an object walked whole
  TextObject,    // "%%HP:" text: no checksum to compare
  Other,         // anything else: not compared (reason says why)
};

struct PcObject {
  std::string name;  // the file or folder name
  PcKind kind = PcKind::Other;
  // BinaryObject: as the calculator lists the object once stored under
  // the calculator name of this file.
  std::string type;
  std::string size;
  std::string checksum;
  CalculatorFamily family = CalculatorFamily::Hp48;  // BinaryObject: whose header it has
  std::string reason;      // Other: why it is not compared
  uint64_t hash = 0;       // content hash of a file that was read
  uint64_t bytes = 0;      // file size
  bool regular_file = false;  // a regular file (not a link, device or folder)
};

struct PcFolder {
  std::string relative;  // "" for the top, "GAMES/CHESS" below it
  std::vector<PcObject> objects;  // sorted by name
};

struct PcTree {
  std::string root;  // ends with '/'
  std::vector<PcFolder> folders;  // the top first, parents before children
  bool ok = false;
  std::string error;
  const PcFolder* Find(const std::string& relative) const;
};

// Reads root and the folders below it. Names that begin with '.' are left
// out (the name rule never writes one: they are the manifest, version
// control, and files of other programs). Symbolic links are listed but
// never followed, so nothing outside root is read.
PcTree ReadPcTree(const std::string& root);

// Reads one file as ReadPcTree does; calculator_name decides the size the
// calculator would list.
PcObject ReadPcFile(const std::string& path, const std::string& name,
                    const std::string& calculator_name);

// relative joined below root ("GAMES" + "BOARD" -> "GAMES/BOARD").
std::string JoinRelative(const std::string& relative, const std::string& name);

}  // namespace dravik::sync
