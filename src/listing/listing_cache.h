// The parsed calculator listings, one per calculator directory, newest first.
//
// Owned by the calculator object list; the directory tree and "Read all"
// read it too. Browsing a directory whose entry is present and not stale
// costs no traffic on the link. The cache reaches the link only through
// ListingLink, and the object list only through the ShowReading callback, so
// it stays free of widgets.
#pragma once

#include <functional>
#include <memory>
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
  std::unique_ptr<ListingEntry> Next;  // the next (older) entry
  int Stale = 0;                   // 1: the directory changed since it was read
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
};

class ListingCache {
 public:
  explicit ListingCache(Session& session) : session_(session) {}
  ~ListingCache();
  ListingCache(const ListingCache&) = delete;
  ListingCache& operator=(const ListingCache&) = delete;

  // Called with the path while the listing is read ("Reading HOME\D\").
  std::function<void(const std::string& path)> ShowReading;

  // Reads the listing of CurrentHPPath into the cache. Returns 1 when the
  // listing is stored as the directory's current content. A read that fails
  // or ends early is stored stale (read again next time) and gives 0. When
  // the listing's header names another directory than CurrentHPPath, the
  // calculator is not where it was thought to be: nothing is stored,
  // HPWorkingPath becomes the directory actually listed, the user is told,
  // and the result is 0.
  int ReadListing(ListingLink& link);

  int FindEntry(std::string_view path) const;
  int FindEntry() const { return FindEntry(session_.CurrentHPPath); }
  int IsStale(std::string_view path) const;
  int IsStale() const { return IsStale(session_.CurrentHPPath); }
  void MarkStale(std::string_view path);
  void MarkStale() { MarkStale(session_.CurrentHPPath); }
  // Removes one object from the entry of CurrentHPPath; row 0 is ".."
  // everywhere but in HOME.
  void RemoveRow(int row);
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

  Session& session_;
  std::unique_ptr<ListingEntry> front_;
};

}  // namespace dravik
