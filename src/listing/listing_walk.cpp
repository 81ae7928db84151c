#include "listing/listing_walk.h"

#include <string>

#include "link/operation_log.h"

namespace dravik {
namespace {

// Drops the last level of CurrentHPPath ("HOME\A\B\" -> "HOME\A\").
void UpOneLevel(std::string& path) {
  if (path.size() < 2) return;
  path.erase(path.find_last_of('\\', path.size() - 2) + 1);
}

// How far the walk has got: directories read, and those known to exist.
struct WalkCount {
  int read = 0;
  int known = 1;  // HOME
};

bool Over(const ListingLink& link, const Session& session) {
  return session.LinkClosedByUser || link.Stopped();
}

using ReadHook = std::function<void(const ListingEntry&)>;

int Walk(ListingCache& cache, ListingLink& link, Session& session, WalkCount& count,
         const ReadHook& read) {
  // A calculator that did not answer on the way here (going HOME, or into
  // this directory), and that the user then gave up, is not asked again.
  if (Over(link, session)) {
    if (session.CurrentHPPath != "HOME\\") UpOneLevel(session.CurrentHPPath);
    return 0;
  }
  ++count.read;
  link.SetReadingNote("(" + std::to_string(count.read) + " of " + std::to_string(count.known) + ")");
  int ok = cache.ReadListing(link);
  if (const ListingEntry* e = cache.Entry(session.CurrentHPPath); e && read) read(*e);
  const int subdirectories = cache.CountDirectories();
  count.known += subdirectories;
  for (int i = 0; i < subdirectories && !Over(link, session); ++i) {
    const std::string name = cache.NameAt(i);
    if (name.empty()) break;
    session.CurrentHPPath += name + "\\";
    link.ChangeDirectory();
    ok = Walk(cache, link, session, count, read) && ok;
  }
  // Back to the parent in the walk's bookkeeping only: the calculator is
  // moved by the next directory's path, which starts at HOME, or by the
  // walk's end.
  if (session.CurrentHPPath != "HOME\\") UpOneLevel(session.CurrentHPPath);
  return ok;
}

}  // namespace

int ReadAllListings(ListingCache& cache, ListingLink& link, Session& session,
                    const ReadHook& read) {
  LoggedOperation op(session.Log, "Read all directories");
  link.GoHome();
  cache.ClearCache();
  WalkCount count;
  const int ok = Walk(cache, link, session, count, read);
  link.SetReadingNote({});
  if (session.HPWorkingPath != "HOME\\" && !Over(link, session)) link.GoHome();
  return op.Result(ok && !Over(link, session) ? 1 : 0, link.Stopped());
}

}  // namespace dravik
