#include "listing/listing_cache.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "recording_window.h"

namespace dravik {
namespace {

using Strings = std::vector<std::string>;
using testing::RecordingWindow;

// A link whose calculator answers with prepared listings.
class ScriptedLink : public ListingLink {
 public:
  explicit ScriptedLink(Session& s) : session_(s) {}
  int ChangeDirectory() override {
    session_.HPWorkingPath = session_.CurrentHPPath;
    moves.push_back(session_.CurrentHPPath);
    return 1;
  }
  int GoHome() override {
    session_.CurrentHPPath = session_.HPWorkingPath = "HOME\\";
    moves.push_back("GoHome");
    return 1;
  }
  int ReadDirectory() override {
    ++reads;
    listing_ = reply;
    return reply_ok;
  }
  const std::string& DirectoryListing() const override { return listing_; }

  std::string reply;
  int reply_ok = 1;
  int reads = 0;
  Strings moves;

 private:
  Session& session_;
  std::string listing_;
};

class ListingCacheTest : public ::testing::Test {
 protected:
  ListingCacheTest() : link(session), cache(session) { session.MainWindow = &window; }

  void ReadAt(const std::string& path, const std::string& reply, int ok = 1) {
    session.CurrentHPPath = path;
    link.reply = reply;
    link.reply_ok = ok;
    cache.ReadListing(link);
  }

  Session session;
  RecordingWindow window;
  ScriptedLink link;
  ListingCache cache;
};

TEST_F(ListingCacheTest, ReadMovesTheCalculatorAndStoresAtFront) {
  ReadAt("HOME\\", "{ HOME } 100\r\nD 20 Directory 1\r\nA 10 Real Number 2\r\n");
  session.CurrentHPPath = "HOME\\D\\";
  link.reply = "{ HOME D } 100\r\nX 5 String 3\r\n";
  EXPECT_EQ(cache.ReadListing(link), 1);

  EXPECT_EQ(link.moves, (Strings{"HOME\\D\\"}));  // HOME needed no move
  EXPECT_EQ(cache.FindEntry("HOME\\D\\"), 0);
  EXPECT_EQ(cache.FindEntry("HOME\\"), 1);
  EXPECT_EQ(cache.FindEntry("HOME\\E\\"), -1);
  EXPECT_EQ(cache.NameAt(0), "X");
}

TEST_F(ListingCacheTest, AnEntryReadAgainIsRefilledInPlace) {
  ReadAt("HOME\\A\\", "{ HOME A } 1\r\nOLD 1 Real x\r\n");
  ReadAt("HOME\\B\\", "{ HOME B } 1\r\n");
  cache.MarkStale("HOME\\A\\");
  EXPECT_EQ(cache.IsStale("HOME\\A\\"), 1);
  ReadAt("HOME\\A\\", "{ HOME A } 1\r\nNEW 2 List x\r\n");
  EXPECT_EQ(cache.FindEntry("HOME\\A\\"), 1);  // kept its position
  EXPECT_EQ(cache.IsStale("HOME\\A\\"), 0);
  EXPECT_EQ(cache.Entry("HOME\\A\\")->Names, (Strings{"NEW"}));
  EXPECT_EQ(cache.EntryAt(2), nullptr);
  // Read again while current: still the one entry, not a second one.
  ReadAt("HOME\\A\\", "{ HOME A } 1\r\nNEWER 2 List x\r\n");
  EXPECT_EQ(cache.FindEntry("HOME\\A\\"), 1);
  EXPECT_EQ(cache.Entry("HOME\\A\\")->Names, (Strings{"NEWER"}));
  EXPECT_EQ(cache.EntryAt(2), nullptr);
}

TEST_F(ListingCacheTest, FailedOrShortReadIsStoredStale) {
  ReadAt("HOME\\", "{ HOME } 1\r\nA 1 Real x\r\n", /*ok=*/0);
  ASSERT_EQ(cache.FindEntry("HOME\\"), 0);
  EXPECT_EQ(cache.IsStale("HOME\\"), 1);
  // The next read refills it and it counts as current again.
  ReadAt("HOME\\", "{ HOME } 1\r\nA 1 Real x\r\nB 1 Real x\r\n");
  EXPECT_EQ(cache.IsStale("HOME\\"), 0);
  EXPECT_EQ(cache.Entry()->Names.size(), 2u);
  EXPECT_EQ(cache.EntryAt(1), nullptr);
}

TEST_F(ListingCacheTest, ListingOfAnotherDirectoryIsNotCachedUnderTheWrongPath) {
  // The calculator could not enter GONE and listed HOME instead.
  session.HPWorkingPath = "HOME\\";
  ReadAt("HOME\\GONE\\", "{ HOME } 1\r\nA 1 Real x\r\n");
  EXPECT_EQ(cache.FindEntry("HOME\\GONE\\"), -1);
  EXPECT_EQ(cache.FindEntry("HOME\\"), -1);
  EXPECT_EQ(session.HPWorkingPath, "HOME\\");
  ASSERT_EQ(window.messages().size(), 1u);
  EXPECT_EQ(window.messages()[0].caption + ": " + window.messages()[0].text, "Error: The HP48 could not go to HOME\\GONE\\\nIt is in HOME\\");
  // The next read tries the move again.
  link.moves.clear();
  ReadAt("HOME\\GONE\\", "{ HOME GONE } 1\r\n");
  EXPECT_EQ(link.moves, (Strings{"HOME\\GONE\\"}));
  EXPECT_EQ(cache.FindEntry("HOME\\GONE\\"), 0);
}

TEST_F(ListingCacheTest, RemoveRowSkipsTheParentRowBelowHome) {
  const std::string four = "A 1 Real x\r\nB 1 Real x\r\nC 1 Real x\r\nD 1 Real x\r\n";
  ReadAt("HOME\\", "{ HOME } 1\r\n" + four);
  ReadAt("HOME\\S\\", "{ HOME S } 1\r\n" + four);
  cache.RemoveRow(3);
  EXPECT_EQ(cache.Entry()->Names, (Strings{"A", "B", "D"}));
  EXPECT_EQ(cache.Entry()->Sizes.size(), 3u);
  EXPECT_EQ(cache.Entry()->Types.size(), 3u);
  session.CurrentHPPath = "HOME\\";
  cache.RemoveRow(3);
  EXPECT_EQ(cache.Entry()->Names, (Strings{"A", "B", "C"}));
  cache.RemoveRow(7);  // past the end: nothing
  session.CurrentHPPath = "HOME\\S\\";
  cache.RemoveRow(0);  // the ".." row itself: nothing
  EXPECT_EQ(cache.Entry()->Names.size(), 3u);
}

TEST_F(ListingCacheTest, LookupsOfTheCurrentDirectory) {
  EXPECT_EQ(cache.CountDirectories(), 0);
  EXPECT_EQ(cache.NameAt(0), "");
  EXPECT_EQ(cache.IsNewName("X"), 0);  // no entry: not known to be new
  EXPECT_EQ(cache.IsStale(), 0);
  ReadAt("HOME\\", "{ HOME } 1\r\nA 1 Real x\r\nD1 1 Directory x\r\nD2 1 Directory x\r\n");
  EXPECT_EQ(cache.CountDirectories(), 2);
  EXPECT_EQ(cache.IsNewName("A"), 0);
  EXPECT_EQ(cache.IsNewName("a"), 1);
  EXPECT_EQ(cache.NameAt(2), "A");
  EXPECT_EQ(cache.NameAt(3), "");
  ReadAt("HOME\\D1\\", "{ HOME D1 } 1\r\nE 1 Directory x\r\n");
  EXPECT_EQ(cache.CountDirectories(), 1);  // only subdirectories: the whole list
  ReadAt("HOME\\D2\\", "");
  EXPECT_EQ(cache.CountDirectories(), 0);
  EXPECT_EQ(cache.FindEntry(), 0);
  cache.ClearCache();
  EXPECT_EQ(cache.FindEntry("HOME\\"), -1);
  EXPECT_EQ(cache.EntryAt(0), nullptr);
}

}  // namespace
}  // namespace dravik
