#include "link/transfer_check.h"

#include <cstdio>
#include <fstream>
#include <iterator>

#include "link/object_checksum.h"

namespace dravik {
namespace {

std::vector<uint8_t> ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

void Report(CHP48Link& link, const std::string& text) {
  if (MainWindowHandle* window = link.session().MainWindow)
    window->ShowMessage(text, "ERROR", MessageIcon::Error);
}

// Reads the listing only when some file can be checked at all; a listing
// lost to a noisy line is asked for again.
bool ReadListingOnce(CHP48Link& link, bool& read, bool& ok) {
  if (!read) {
    for (int attempt = 0; attempt < 3 && !ok; ++attempt) ok = link.ReadDirectory() != 0;
    read = true;
  }
  return ok;
}

}  // namespace

int CheckSentObjects(CHP48Link& link, const std::vector<std::string>& paths) {
  int result = 1;
  bool read = false, ok = false;
  for (size_t i = 0; i < paths.size() && i < link.StoredNames.size(); ++i) {
    const std::string& name = link.StoredNames[i];
    if (name.empty()) continue;  // skipped
    std::vector<uint8_t> file = ReadFile(paths[i]);
    if (!IsBinaryObjectFile(file)) continue;
    if (!ReadListingOnce(link, read, ok)) {
      Report(link, "Could not read the calculator's directory to check " + name + ".");
      return 0;
    }
    switch (CheckObjectFile(file, name, link.DirectoryListing, TransferDirection::Sent)) {
      case ObjectCheck::Match:
      case ObjectCheck::NotCheckable:
        break;
      case ObjectCheck::NotListed:
        Report(link, name + " is not on the calculator after the transfer. Send it again.");
        result = 0;
        break;
      case ObjectCheck::Mismatch:
        // A damaged object is worse than none: evaluating it can crash the
        // calculator.
        link.RunHostCommand("'" + name + "' PURGE");
        Report(link, name +
                         " arrived garbled on the calculator (its checksum differs) and was "
                         "removed there. Send it again.");
        result = 0;
        break;
    }
  }
  return result;
}

int CheckReceivedObjects(CHP48Link& link) {
  int result = 1;
  bool read = false, ok = false;
  for (const CHP48Link::ReceivedObject& object : link.ReceivedObjects) {
    std::vector<uint8_t> file = ReadFile(object.path);
    if (!IsBinaryObjectFile(file)) continue;
    if (!ReadListingOnce(link, read, ok)) {
      // A file Dravik keeps is one that matched the calculator's copy.
      std::remove(object.path.c_str());
      Report(link, object.name +
                       " could not be checked against the calculator's copy and was deleted. "
                       "Receive it again.");
      result = 0;
      continue;
    }
    ObjectCheck check =
        CheckObjectFile(file, object.name, link.DirectoryListing, TransferDirection::Received);
    if (check == ObjectCheck::Mismatch) {
      std::remove(object.path.c_str());
      Report(link, object.name +
                       " arrived garbled (its checksum differs from the calculator's) and was "
                       "deleted. Receive it again.");
      result = 0;
    }
  }
  return result;
}

}  // namespace dravik
