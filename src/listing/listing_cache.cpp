#include "listing/listing_cache.h"

#include <utility>

#include "listing/hp_path.h"
#include "listing/listing_parser.h"
#include "link/operation_log.h"

namespace dravik {
namespace {

// Takes one object out of an entry, from each column that has it.
void EraseAt(ListingEntry& e, size_t index) {
  for (std::vector<std::string>* column : {&e.Names, &e.Sizes, &e.Types, &e.Titles})
    if (index < column->size()) column->erase(column->begin() + static_cast<long>(index));
}

}  // namespace

ListingCache::~ListingCache() = default;

ListingEntry* ListingCache::Lookup(std::string_view path) const {
  for (ListingEntry& e : entries_)
    if (e.Path == path) return &e;
  return nullptr;
}

ListingEntry& ListingCache::EntryFor(const std::string& path) {
  // A path read again keeps its one entry, stale or not.
  if (ListingEntry* e = Lookup(path)) return *e;
  entries_.emplace_front();
  entries_.front().Path = path;
  return entries_.front();
}

void ListingCache::Store(ListingEntry entry) {
  ListingEntry& kept = EntryFor(entry.Path);
  kept = std::move(entry);
}

const ListingEntry* ListingCache::Entry(std::string_view path) const { return Lookup(path); }

const ListingEntry* ListingCache::EntryAt(int position) const {
  if (position < 0 || static_cast<size_t>(position) >= entries_.size()) return nullptr;
  return &entries_[static_cast<size_t>(position)];
}

int ListingCache::ReadListing(ListingLink& link) {
  const std::string path = session_.CurrentHPPath;
  LoggedOperation op(session_.Log, "Read " + path);
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

  ListingEntry& entry = EntryFor(path);
  entry.Names = std::move(parsed.Names);
  entry.Sizes = std::move(parsed.Sizes);
  entry.Types = std::move(parsed.Types);
  entry.Titles = std::move(parsed.Titles);
  entry.Stale = read_ok ? 0 : 1;
  return op.Result(read_ok ? 1 : 0);
}

int ListingCache::FindEntry(std::string_view path) const {
  for (size_t i = 0; i < entries_.size(); ++i)
    if (entries_[i].Path == path) return static_cast<int>(i);
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
  const int index = hp_path::IsRoot(session_.CurrentHPPath) ? row : row - 1;
  if (index < 0 || static_cast<size_t>(index) >= e->Names.size()) return;
  EraseAt(*e, static_cast<size_t>(index));
}

void ListingCache::RemoveName(std::string_view path, std::string_view name) {
  ListingEntry* e = Lookup(path);
  if (!e) return;
  for (size_t i = 0; i < e->Names.size(); ++i) {
    if (e->Names[i] != name) continue;
    EraseAt(*e, i);
    return;
  }
}

void ListingCache::ClearCache() { entries_.clear(); }

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
