#include "listing/listing_cache.h"

#include <utility>

#include "listing/listing_parser.h"
#include "link/operation_log.h"
#include "link/wait_cursor.h"

namespace dravik {

ListingCache::~ListingCache() { ClearCache(); }

ListingEntry* ListingCache::Lookup(std::string_view path) const {
  for (ListingEntry* e = front_.get(); e; e = e->Next.get())
    if (e->Path == path) return e;
  return nullptr;
}

const ListingEntry* ListingCache::Entry(std::string_view path) const { return Lookup(path); }

const ListingEntry* ListingCache::EntryAt(int position) const {
  if (position < 0) return nullptr;
  const ListingEntry* e = front_.get();
  for (int i = 0; e && i < position; ++i) e = e->Next.get();
  return e;
}

int ListingCache::ReadListing(ListingLink& link) {
  WaitCursor wait(session_.MainWindow);
  const std::string path = session_.CurrentHPPath;
  LoggedOperation op(session_.Log, "Read " + path);
  if (ShowReading) ShowReading(path);
  if (session_.CurrentHPPath != session_.HPWorkingPath) link.ChangeDirectory();
  const int read_ok = link.ReadDirectory();
  ParsedListing parsed = ParseListing(link.DirectoryListing());

  if (parsed.HasHeader && !parsed.HeaderPath.empty() && parsed.HeaderPath != path) {
    // The calculator listed another directory (a directory that no longer
    // exists leaves it where it was). Keep the cache honest and remember
    // where the calculator really is, so the next operation moves it.
    session_.HPWorkingPath = parsed.HeaderPath;
    const std::string text = "The HP48 could not go to " + path + "\nIt is in " + parsed.HeaderPath;
    if (session_.Log) session_.Log->NoteError(text);
    if (session_.MainWindow) session_.MainWindow->ShowMessage(text, "Error", MessageIcon::Error);
    return op.Result(0);
  }

  // A path read again keeps its one entry, stale or not.
  ListingEntry* entry = Lookup(path);
  if (!entry) {
    auto fresh = std::make_unique<ListingEntry>();
    fresh->Path = path;
    fresh->Next = std::move(front_);
    front_ = std::move(fresh);
    entry = front_.get();
  }
  entry->Names = std::move(parsed.Names);
  entry->Sizes = std::move(parsed.Sizes);
  entry->Types = std::move(parsed.Types);
  entry->Stale = read_ok ? 0 : 1;
  return op.Result(read_ok ? 1 : 0);
}

int ListingCache::FindEntry(std::string_view path) const {
  int position = 0;
  for (const ListingEntry* e = front_.get(); e; e = e->Next.get(), ++position)
    if (e->Path == path) return position;
  return -1;
}

int ListingCache::IsStale(std::string_view path) const {
  const ListingEntry* e = Lookup(path);
  return e ? e->Stale : 0;
}

void ListingCache::MarkStale(std::string_view path) {
  if (ListingEntry* e = Lookup(path)) e->Stale = 1;
}

void ListingCache::RemoveRow(int row) {
  ListingEntry* e = Lookup(session_.CurrentHPPath);
  if (!e) return;
  const int index = session_.CurrentHPPath == "HOME\\" ? row : row - 1;
  if (index < 0 || static_cast<size_t>(index) >= e->Names.size()) return;
  e->Names.erase(e->Names.begin() + index);
  e->Sizes.erase(e->Sizes.begin() + index);
  e->Types.erase(e->Types.begin() + index);
}

void ListingCache::ClearCache() {
  // Unlinks one entry at a time so a long chain is not freed recursively.
  while (front_) front_ = std::move(front_->Next);
}

int ListingCache::CountDirectories() const {
  const ListingEntry* e = Lookup(session_.CurrentHPPath);
  if (!e) return 0;
  int count = 0;
  while (static_cast<size_t>(count) < e->Types.size() && IsDirectoryType(e->Types[count])) ++count;
  return count;
}

std::string ListingCache::NameAt(int index) const {
  const ListingEntry* e = Lookup(session_.CurrentHPPath);
  if (!e || index < 0 || static_cast<size_t>(index) >= e->Names.size()) return {};
  return e->Names[index];
}

int ListingCache::IsNewName(std::string_view name) const {
  const ListingEntry* e = Lookup(session_.CurrentHPPath);
  if (!e) return 0;
  for (const std::string& n : e->Names)
    if (n == name) return 0;
  return 1;
}

}  // namespace dravik
