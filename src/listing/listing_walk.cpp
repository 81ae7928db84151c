#include "listing/listing_walk.h"

#include <string>

#include "link/operation_log.h"
#include "link/wait_cursor.h"

namespace dravik {
namespace {

void Status(Session& session, const std::string& text) {
  if (session.MainWindow) session.MainWindow->SetStatusText(text);
}

// Drops the last level of CurrentHPPath ("HOME\A\B\" -> "HOME\A\").
void UpOneLevel(std::string& path) {
  if (path.size() < 2) return;
  path.erase(path.find_last_of('\\', path.size() - 2) + 1);
}

int Walk(ListingCache& cache, ListingLink& link, Session& session) {
  Status(session, "Reading " + session.CurrentHPPath + " ...");
  int ok = cache.ReadListing(link);
  const int count = cache.CountDirectories();
  for (int i = 0; i < count && !session.LinkClosedByUser; ++i) {
    const std::string name = cache.NameAt(i);
    if (name.empty()) break;
    session.CurrentHPPath += name + "\\";
    Status(session, "Changing directory...");
    link.ChangeDirectory();
    ok = Walk(cache, link, session) && ok;
  }
  // Back to the parent in the walk's bookkeeping only: the calculator is
  // moved by the next directory's path, which starts at HOME, or by the
  // walk's end.
  if (session.CurrentHPPath != "HOME\\") UpOneLevel(session.CurrentHPPath);
  return ok;
}

}  // namespace

int ReadAllListings(ListingCache& cache, ListingLink& link, Session& session) {
  WaitCursor wait(session.MainWindow);
  LoggedOperation op(session.Log, "Read all directories");
  link.GoHome();
  cache.ClearCache();
  const int ok = Walk(cache, link, session);
  if (session.HPWorkingPath != "HOME\\" && !session.LinkClosedByUser) link.GoHome();
  return op.Result(ok && !session.LinkClosedByUser ? 1 : 0);
}

}  // namespace dravik
