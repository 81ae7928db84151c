// The parsed calculator listings, one per calculator directory, newest first.
//
// The window keeps one for its panes (the object list fills itself from
// it, the directory tree and the commands read it); an operation on the
// line's own thread reads into a cache of its own and hands the entries
// over as values. Browsing a directory whose entry is present and not stale
// costs no traffic on the link. The cache reaches the link only through
// ListingLink, so it stays free of widgets.
#pragma once

#include <deque>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "link/session.h"

namespace dravik {

struct ListingEntry {
  std::string Path;                // the calculator path that was listed
  std::vector<std::string> Names;  // directories first
  std::vector<std::string> Sizes;  // size fields exactly as sent
  std::vector<std::string> Types;  // type words exactly as sent
  int Stale = 0;                   // 1: the directory changed since it was read
  std::vector<std::string> Titles;  // a library's title in a port; else empty
};

// What ReadListing needs of the Kermit link.
class ListingLink {
 public:
  virtual ~ListingLink() = default;
  // Moves the calculator to CurrentHPPath (sets HPWorkingPath first).
  virtual int ChangeDirectory() = 0;
  // Moves the calculator to HOME; both paths become "HOME\".
  virtual int GoHome() = 0;
  // The generic directory request; 1 when the transaction ended with B.
  virtual int ReadDirectory() = 0;
  // The text the last directory request collected.
  virtual const std::string& DirectoryListing() const = 0;
  // The user asked to stop: a walk over many directories ends.
  virtual bool Stopped() const { return false; }
  // Said after the path while a listing is read ("(12 of 200)").
  virtual void SetReadingNote(std::string note) { (void)note; }
};

class ListingCache {
 public:
  explicit ListingCache(Session& session) : session_(session) {}
  ~ListingCache();
  ListingCache(const ListingCache&) = delete;
  ListingCache& operator=(const ListingCache&) = delete;

  // Reads the listing of CurrentHPPath into the cache. Returns 1 when the
  // listing is stored as the directory's current content. A read that fails
  // or ends early is stored stale (read again next time) and gives 0. When
  // the listing's header names another directory than CurrentHPPath, the
  // calculator is not where it was thought to be: nothing is stored,
  // HPWorkingPath becomes the directory actually listed, the user is told,
  // and the result is 0.
  int ReadListing(ListingLink& link);
  // Keeps entry as the listing of its path (read elsewhere, e.g. on the
  // line's own thread): it replaces the path's entry, or comes first.
  void Store(ListingEntry entry);

  int FindEntry(std::string_view path) const;
  int FindEntry() const { return FindEntry(session_.CurrentHPPath); }
  int IsStale(std::string_view path) const;
  int IsStale() const { return IsStale(session_.CurrentHPPath); }
  void MarkStale(std::string_view path);
  void MarkStale() { MarkStale(session_.CurrentHPPath); }
  // Removes one object from the entry of CurrentHPPath; row 0 is ".."
  // everywhere but in HOME.
  void RemoveRow(int row);
  // Removes the named object from the entry of path, if it lists it.
  void RemoveName(std::string_view path, std::string_view name);
  void ClearCache();
  int CountDirectories() const;
  std::string NameAt(int index) const;
  int IsNewName(std::string_view name) const;

  // The entry of a path (CurrentHPPath when none is given), or null.
  const ListingEntry* Entry(std::string_view path) const;
  const ListingEntry* Entry() const { return Entry(session_.CurrentHPPath); }
  // The entry at a position counted from the front, or null.
  const ListingEntry* EntryAt(int position) const;

 private:
  ListingEntry* Lookup(std::string_view path) const;
  ListingEntry& EntryFor(const std::string& path);

  Session& session_;
  // Newest first. A deque keeps every entry where it is while others come
  // and go at the front, so a pointer to one stays good.
  mutable std::deque<ListingEntry> entries_;
};

}  // namespace dravik
