// A calculator directory and everything below it, read through the Kermit
// link: one listing per directory, each object with the type, size and
// checksum the calculator lists for it.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "link/hp48_link.h"
#include "sync/sync_manifest.h"

namespace dravik::sync {

// Told what a long operation does next ("Reading HOME\GAMES\"); called on
// the thread that runs the operation.
using StepReport = std::function<void(const std::string& what)>;

struct CalculatorObject {
  std::string name;
  std::string type;      // all type words ("Real Number", "Directory")
  std::string size;      // as listed ("16", "12.5")
  std::string checksum;  // as listed; empty when the server lists none
  bool IsDirectory() const { return type == "Directory"; }
};

struct CalculatorDirectory {
  std::string path;  // "HOME\GAMES\"
  std::vector<CalculatorObject> objects;  // in the listing's order
};

struct CalculatorTree {
  std::string root;
  std::vector<CalculatorDirectory> directories;  // the root first, parents before children
  bool ok = false;
  std::string error;  // why the tree could not be read whole
  const CalculatorDirectory* Find(const std::string& path) const;
};

// Reads root and every directory below it, depth first. Stops at the first
// directory that cannot be entered or listed (after three tries), at a
// cancel (the link's m_cancel) and when the user gave up the link. The
// calculator is left in the last directory read (HPWorkingPath says where);
// CurrentHPPath is as it was.
// A subdirectory whose size and checksum are those the manifest known
// recorded when everything in it was in step is not entered: its checksum
// covers all it holds, and its listing is the manifest's.
CalculatorTree ReadCalculatorTree(CHP48Link& link, const std::string& root,
                                  const StepReport& report = {},
                                  const SyncManifest* known = nullptr);

// Moves the calculator to path and reads its listing into the link's
// DirectoryListing, checking by the listing's heading that the calculator
// is where it should be; up to three tries for the listing. CurrentHPPath
// becomes path. False, with error set, otherwise.
bool ListDirectory(CHP48Link& link, const std::string& path, std::string* error);

// Moves the calculator back to path (the directory the session shows) when
// reading or syncing left it elsewhere, so that the next command, and the
// next run of a command-line tool, starts where the user was. Nothing is
// sent once the operation was stopped.
void ReturnTo(CHP48Link& link, const std::string& path);

// True when the operation should stop: cancelled, or the link given up.
bool Stopped(CHP48Link& link);

}  // namespace dravik::sync
