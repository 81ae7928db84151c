#include "listing/listing_parser.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace dravik {
namespace {

using Strings = std::vector<std::string>;

TEST(ListingParser, HeaderIsSkippedAndNamesItsPath) {
  ParsedListing p = ParseListing(
      "{ HOME D } 127462\r\nX 10.5 Real Number 1234\r\nY 20 String 99\r\n");
  EXPECT_TRUE(p.HasHeader);
  EXPECT_EQ(p.HeaderPath, "HOME\\D\\");
  EXPECT_EQ(p.Names, (Strings{"X", "Y"}));
  EXPECT_EQ(p.Sizes, (Strings{"10.5", "20"}));
  EXPECT_EQ(p.Types, (Strings{"Real", "String"}));
}

// Real firmware: an HP49G ends whole numbers with a dot, an HP48SX names no
// path. Both read as the HP48GX's listing does.
TEST(ListingParser, Hp49NumbersAndTheSxListingReadAsTheGxOnes) {
  const std::string hp49 =
      "{ HOME CASDIR } 246344.5\r\nMODULO 17. Integer 4327.\r\nEPS 18. Real Number 52434.\r\n"
      "Z 11.5 Integer 1277.\r\n";
  ParsedListing p = ParseListing(hp49);
  EXPECT_EQ(p.HeaderPath, "HOME\\CASDIR\\");
  EXPECT_EQ(p.Sizes, (Strings{"17", "18", "11.5"}));
  const std::vector<ListingLine> lines = ListingLines(hp49);
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[1].type, "Real Number");
  EXPECT_EQ(lines[1].checksum, "52434");
  EXPECT_EQ(lines[2].size, "11.5");

  const std::string sx = "IOPAR 29.5 List 8861\r\nHELLO.TXT 40.5 String 4609\r\n";
  p = ParseListing(sx);
  EXPECT_FALSE(p.HasHeader);
  EXPECT_EQ(p.Names, (Strings{"IOPAR", "HELLO.TXT"}));
  EXPECT_EQ(ListingLines(sx)[1].checksum, "4609");
  EXPECT_EQ(PathFromList("{IOPAR,CASDIR}"), "IOPAR\\CASDIR\\");
}

TEST(ListingParser, DirectoriesFirstEachGroupInListingOrder) {
  ParsedListing p = ParseListing(
      "A 10 Real x\r\nD1 20 Directory x\r\nB 5.5 String x\r\nD2 8 Directory x\r\n");
  EXPECT_FALSE(p.HasHeader);
  EXPECT_EQ(p.Names, (Strings{"D1", "D2", "A", "B"}));
  EXPECT_EQ(p.Sizes, (Strings{"20", "8", "10", "5.5"}));
  EXPECT_EQ(p.Types, (Strings{"Directory", "Directory", "Real", "String"}));
}

TEST(ListingParser, SeveralBlanksAndExtraFieldsParseAlike) {
  ParsedListing single = ParseListing("A 1 Real 7\r\nB 2 List 8\r\n");
  ParsedListing spread = ParseListing("A   1  Real  Number  7 9\r\n  B \t2   List 8 extra\r\n");
  EXPECT_EQ(spread.Names, single.Names);
  EXPECT_EQ(spread.Sizes, single.Sizes);
  EXPECT_EQ(spread.Types, single.Types);
}

TEST(ListingParser, LowerCaseDirectoryIsAnOrdinaryObject) {
  ParsedListing p = ParseListing("A 1 Real x\r\nd 2 directory x\r\n");
  EXPECT_EQ(p.Names, (Strings{"A", "d"}));
  EXPECT_EQ(p.Types[1], "directory");
}

TEST(ListingParser, EmptyAndHeaderOnlyRepliesGiveNoObjects) {
  EXPECT_TRUE(ParseListing("").Names.empty());
  ParsedListing p = ParseListing("{ HOME } 127805.5\r\n");
  EXPECT_TRUE(p.Names.empty());
  EXPECT_EQ(p.HeaderPath, "HOME\\");
}

TEST(ListingParser, BrokenHeadersLoseOnlyTheirFirstCharacter) {
  // No "}": the first header step drops just "{"; the CR step then drops the
  // rest of that line.
  ParsedListing p = ParseListing("{ HOME 1\r\nA 1 Real x\r\n");
  EXPECT_EQ(p.Names, (Strings{"A"}));
  EXPECT_TRUE(p.HeaderPath.empty());
  // No CR at all: after the "}" step only one more character goes.
  p = ParseListing("{ HOME } 1A 2 Real x");
  EXPECT_EQ(p.Names, (Strings{"A"}));
  EXPECT_EQ(p.Types, (Strings{"Real"}));
}

TEST(ListingParser, TextWithoutHeaderIsReadFromItsFirstCharacter) {
  ParsedListing p = ParseListing("HOME 127805\r\nA 1 Real x\r\n");
  // "HOME 127805" has no third field on its line: the type word runs into
  // the next line, as on the real program.
  ASSERT_FALSE(p.Names.empty());
  EXPECT_EQ(p.Names[0], "HOME");
}

TEST(ListingParser, FinalLineWithoutBlankIsIgnored) {
  ParsedListing p = ParseListing("A 1 Real x\r\nGARBAGE");
  EXPECT_EQ(p.Names, (Strings{"A"}));
}

TEST(ListingParser, PathFromListConvertsAnyBlanks) {
  EXPECT_EQ(PathFromList("{ HOME GAMES CHESS }"), "HOME\\GAMES\\CHESS\\");
  EXPECT_EQ(PathFromList("{HOME WORK }"), "HOME\\WORK\\");
  EXPECT_EQ(PathFromList("{ }"), "");
  // Translation mode 3 spells the calculator's own characters.
  EXPECT_EQ(PathFromList("{ HOME \\GaD }"), "HOME\\\x8c" "D\\");
}

TEST(ListingParser, LongListingWithoutLineEndsStaysLinear) {
  // Blanks but no CR: each line scan would otherwise search to the end.
  std::string text;
  for (int i = 0; i < 20000; ++i) text += "N 1 Real ";
  ParsedListing p = ParseListing(text);
  EXPECT_GT(p.Names.size(), 0u);
}

}  // namespace
}  // namespace dravik
