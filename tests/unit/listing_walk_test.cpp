#include "listing/listing_walk.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace dravik {
namespace {

using Strings = std::vector<std::string>;

// A calculator that lists whatever directory it was last moved to.
class TreeLink : public ListingLink {
 public:
  TreeLink(Session& s, std::map<std::string, std::string> tree) : s_(s), tree_(std::move(tree)) {}
  int ChangeDirectory() override {
    s_.HPWorkingPath = s_.CurrentHPPath;
    return 1;
  }
  int GoHome() override {
    s_.CurrentHPPath = s_.HPWorkingPath = "HOME\\";
    return 1;
  }
  int ReadDirectory() override {
    read.push_back(s_.HPWorkingPath);
    listing_ = tree_[s_.HPWorkingPath];
    return 1;
  }
  const std::string& DirectoryListing() const override { return listing_; }
  Strings read;

 private:
  Session& s_;
  std::map<std::string, std::string> tree_;
  std::string listing_;
};

TEST(ListingWalk, DepthFirstInListingOrderBackToHome) {
  Session session;
  session.CurrentHPPath = session.HPWorkingPath = "HOME\\X\\";
  TreeLink link(session, {
      {"HOME\\", "{ HOME } 1\r\nR 1 Real x\r\nA 9 Directory x\r\nD 9 Directory x\r\n"},
      {"HOME\\A\\", "{ HOME A } 1\r\nB 9 Directory x\r\n"},
      {"HOME\\A\\B\\", "{ HOME A B } 1\r\n"},
      {"HOME\\D\\", "{ HOME D } 1\r\nZ 1 String x\r\n"},
  });
  ListingCache cache(session);
  cache.MarkStale("HOME\\");
  EXPECT_EQ(ReadAllListings(cache, link, session), 1);
  EXPECT_EQ(link.read, (Strings{"HOME\\", "HOME\\A\\", "HOME\\A\\B\\", "HOME\\D\\"}));
  EXPECT_EQ(session.CurrentHPPath, "HOME\\");
  EXPECT_EQ(session.HPWorkingPath, "HOME\\");
  for (const char* path : {"HOME\\", "HOME\\A\\", "HOME\\A\\B\\", "HOME\\D\\"}) {
    EXPECT_NE(cache.FindEntry(path), -1) << path;
    EXPECT_EQ(cache.IsStale(path), 0) << path;
  }
}

}  // namespace
}  // namespace dravik
