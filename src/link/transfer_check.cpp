#include "link/transfer_check.h"

#include <cstdio>
#include <fstream>

#include "listing/hp_path.h"
#include "listing/listing_parser.h"
#include "link/calculator_model.h"
#include "link/hp48_commands.h"
#include "link/port_commands.h"
#include "link/object_checksum.h"
#include "link/operation_log.h"

namespace dravik {
namespace {

constexpr int kListingTries = 3;

std::vector<uint8_t> ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::vector<uint8_t> bytes;
  char chunk[65536];
  while (in.read(chunk, sizeof chunk) || in.gcount() > 0)
    bytes.insert(bytes.end(), chunk, chunk + in.gcount());
  return bytes;
}

void Report(CHP48Link& link, const std::string& text) {
  if (OperationLog* log = link.session().Log) log->NoteError(text);
  if (MainWindowHandle* window = link.session().MainWindow)
    window->ShowMessage(text, "ERROR", MessageIcon::Error);
}

void Note(CHP48Link& link, const std::string& text) {
  if (MainWindowHandle* window = link.session().MainWindow)
    window->ShowMessage(text, "Attention", MessageIcon::Information);
}

// A calculator that answered the connection check is one; otherwise the
// listing tells (another Kermit server lists its files with no checksum to
// compare).
bool IsCalculatorListing(const Session& session, std::string_view listing) {
  return session.Model || ModelOfListing(listing);
}

// The listing of the calculator's current directory (where the objects went
// and came from), read once and only when some file can be checked at all.
// A listing lost to a noisy line is asked for again, as long as the link is
// still open.
class ListingOnce {
 public:
  explicit ListingOnce(CHP48Link& link) : link_(link) {}
  bool Read() {
    if (!read_) {
      read_ = true;
      for (int attempt = 0; attempt < kListingTries && !ok_; ++attempt) {
        if (attempt > 0 && link_.session().LinkClosedByUser) break;
        ok_ = link_.ReadDirectory() != 0;
      }
      calculator_ = ok_ && IsCalculatorListing(link_.session(), link_.DirectoryListing);
    }
    return ok_;
  }
  bool FromCalculator() const { return calculator_; }

 private:
  CHP48Link& link_;
  bool read_ = false;
  bool ok_ = false;
  bool calculator_ = false;
};

// What the comparison found, for the job's log entry.
void Log(CHP48Link& link, const std::string& name, ObjectCheckNote note) {
  if (OperationLog* log = link.session().Log) log->NoteCheck(name, note);
}

ObjectCheckNote NoteFor(ObjectCheck check) {
  switch (check) {
    case ObjectCheck::Match: return ObjectCheckNote::Match;
    case ObjectCheck::Mismatch: return ObjectCheckNote::Mismatch;
    case ObjectCheck::NotListed: return ObjectCheckNote::NotListed;
    case ObjectCheck::NotCheckable: break;
  }
  return ObjectCheckNote::Unchecked;
}

// The purge of an object where the transfer went: the current directory,
// or the port the link works on.
std::string PurgeHere(CHP48Link& link, const std::string& name) {
  if (const std::optional<int> port = hp_path::PortOf(link.session().HPWorkingPath))
    return hp48::PortPurgeCommands(*port, {name}).front();
  return hp48::PurgeCommand(name);
}

const char* kNotCalculator = " was not checked: the server is not a calculator and lists no checksum.";

}  // namespace

int CheckSentObjects(CHP48Link& link, const std::vector<std::string>& paths) {
  int result = 1;
  ListingOnce listing(link);
  for (size_t i = 0; i < paths.size() && i < link.StoredNames.size(); ++i) {
    const std::string& name = link.StoredNames[i];
    if (name.empty()) continue;  // skipped
    std::vector<uint8_t> file = ReadFile(paths[i]);
    if (!IsBinaryObjectFile(file)) continue;
    if (!listing.Read()) {
      Log(link, name, ObjectCheckNote::Unchecked);
      Report(link, name + " was sent, but the calculator's directory could not be read to check "
                          "it: an unchecked copy is on the calculator.");
      result = 0;
      continue;
    }
    if (!listing.FromCalculator()) {
      Log(link, name, ObjectCheckNote::Unchecked);
      // The server's name for the file may be a whole path of its own.
      Note(link, paths[i].substr(paths[i].find_last_of('/') + 1) + kNotCalculator);
      continue;
    }
    const ObjectCheck check =
        CheckObjectFile(file, name, link.DirectoryListing, TransferDirection::Sent);
    Log(link, name, NoteFor(check));
    switch (check) {
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
        link.RunHostCommand(PurgeHere(link, name));
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
  ListingOnce listing(link);
  for (const CHP48Link::ReceivedObject& object : link.ReceivedObjects) {
    std::vector<uint8_t> file = ReadFile(object.path);
    if (!IsBinaryObjectFile(file) && !HasDamagedBinaryHeader(file)) continue;
    if (!listing.Read()) {
      Log(link, object.name, ObjectCheckNote::Unchecked);
      // A file Dravik keeps is one that matched the calculator's copy.
      std::remove(object.path.c_str());
      Report(link, object.name +
                       " could not be checked against the calculator's copy and was deleted. "
                       "Receive it again.");
      result = 0;
      continue;
    }
    if (!listing.FromCalculator()) {
      Log(link, object.name, ObjectCheckNote::Unchecked);
      Note(link, object.name + kNotCalculator);
      continue;
    }
    ObjectCheck check =
        CheckObjectFile(file, object.name, link.DirectoryListing, TransferDirection::Received);
    Log(link, object.name, NoteFor(check));
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
