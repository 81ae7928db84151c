// Ports and libraries from the captured replies of a real HP48GX and HP49G:
// what `n PVARS` and the entry queries answer, the listing made of them, and
// the library objects the calculators sent.
#include "link/port_commands.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "hpfile/binary_values.h"
#include "listing/listing_parser.h"

namespace dravik::hp48 {
namespace {

using Strings = std::vector<std::string>;

TEST(PortVariables, EachModelsReplies) {
  // HP48GX: padded lines, ":1: OBJ" entries, a library by its number.
  PortVariables gx = ParsePortVariables(
      "2:           { :1: OBJ :1: C }\r\n1:                131019.5\r\n", 0);
  EXPECT_TRUE(gx.available);
  EXPECT_EQ(gx.names, (Strings{"OBJ", "C"}));
  EXPECT_EQ(gx.free, "131019.5");
  EXPECT_EQ(ParsePortVariables("2:          { :0: 1234 }\r\n1:              127545.5\r\n", 0).names,
            (Strings{"1234"}));
  // HP49G: commas, no leading colon, dotted numbers.
  PortVariables g49 =
      ParsePortVariables("2:   {1: OBJ,1: C,1: DD}\r\n1:               262040.\r\n", 22);
  EXPECT_EQ(g49.names, (Strings{"OBJ", "C", "DD"}));
  EXPECT_EQ(g49.free, "262040");
  EXPECT_FALSE(g49.cut);
  EXPECT_TRUE(ParsePortVariables("2:                    {}\r\n1:              1046400.\r\n", 22)
                  .names.empty());
  // Its stack cuts a long list at 22 characters: the names come another way.
  PortVariables cut =
      ParsePortVariables("2: {1: ALPHA,1: BRAVO,1: \r\n1:               261992.\r\n", 22);
  EXPECT_TRUE(cut.available);
  EXPECT_TRUE(cut.cut);
  EXPECT_TRUE(cut.names.empty());
  // No such port, and a card merged into main memory.
  EXPECT_FALSE(
      ParsePortVariables("Error: Port Not Available\r\n1:                     2\r\n", 0).available);
  EXPECT_TRUE(IsPortNotAvailable("Error: Port Not Available\r\n1:                     2\r\n"));
  EXPECT_FALSE(ParsePortVariables("2:                   { }\r\n1:                \"SYSRAM\"\r\n", 0)
                   .available);
}

TEST(PortVariables, TheListAsAFileGivesIt) {
  // R PCTMP on the 49 after `1 PVARS DROP 'PCTMP' STO`, its header line gone.
  EXPECT_EQ(NamesInPortList("{ :1: ALPHA :1: BRAVO\r\n:1: CHARLIE :1: DELTA\r\n:1: ECHO }"),
            (Strings{"ALPHA", "BRAVO", "CHARLIE", "DELTA", "ECHO"}));
  // A name of the calculator's own characters in its backslash spelling.
  EXPECT_EQ(NamesInPortList("{ :0: \\GaB :0: 1234. }"), (Strings{"\x8c" "B", "1234"}));
}

TEST(PortEntries, QueriesShareAPacketAndDropWhatCameBefore) {
  const std::vector<EntryQuery> queries =
      EntryQueries(1, {"OBJ", "C", "1234", "LONGERNAME12345678"}, 2);
  ASSERT_EQ(queries.size(), 2u);
  EXPECT_EQ(queries[0].command,
            "2 DROPN :1:OBJ DUP VTYPE SWAP RCL BYTES :1:C DUP VTYPE SWAP RCL BYTES "
            ":1:1234 RCL DUP BYTES");
  EXPECT_EQ(queries[1].command, "9 DROPN :1:LONGERNAME12345678 DUP VTYPE SWAP RCL BYTES");
  EXPECT_EQ(queries[1].first, 3u);
}

// The replies of both calculators make the listing G D would give: the
// size as a listing counts it, the checksum in decimal, a library's title.
TEST(PortEntries, RepliesMakeAListingOfThePort) {
  std::vector<PortEntry> entries{{"OBJ", {}, {}, {}, {}}, {"1234", {}, {}, {}, {}}};
  const EntryQuery both{"", 0, 2};
  ASSERT_TRUE(ReadEntryReply("6:                     2\r\n5:              # 22634d\r\n"
                             "4:                    14\r\n3: Library 1234:  PCTEST: ports test\r\n"
                             "2:              # 44105d\r\n1:                   117\r\n",
                             both, entries));
  EXPECT_EQ(PortListingText(0, "127545.5", entries),
            "{ :0: } 127545.5\r\nOBJ 21.5 String 22634\r\n"
            "1234 125.5 Library \"PCTEST: ports test\" 44105\r\n");
  const std::vector<ListingLine> lines = ListingLines(PortListingText(0, "1", entries));
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[1].type, "Library");
  EXPECT_EQ(lines[1].title, "PCTEST: ports test");
  EXPECT_EQ(lines[1].checksum, "44105");
  const ParsedListing parsed = ParseListing(PortListingText(0, "1", entries));
  EXPECT_EQ(parsed.HeaderPath, ":0:\\");
  EXPECT_EQ(parsed.Titles, (Strings{"", "PCTEST: ports test"}));

  // The 49: hex checksums, dotted sizes, a directory, a title cut short.
  std::vector<PortEntry> g49{{"DD", {}, {}, {}, {}}, {"1234", {}, {}, {}, {}}};
  ASSERT_TRUE(ReadEntryReply("6:                   15.\r\n5:               # 5FB9h\r\n"
                             "4:                  22.5\r\n3: Library 1234: PCTEST: \r\n"
                             "2:               # AC49h\r\n1:                  117.\r\n",
                             both, g49));
  EXPECT_EQ(g49[0].type, "Directory");
  EXPECT_EQ(g49[0].size, "29");
  EXPECT_EQ(g49[0].checksum, "24505");
  EXPECT_EQ(g49[1].title, "PCTEST:");
  EXPECT_FALSE(ReadEntryReply("Error: Undefined Name\r\n1:             1: NOSUCH\r\n", both, g49));
}

// library_1234.bin (the 48's) and library_1235_config.bin (the 49's), as
// far as their numbers.
TEST(LibraryFile, NumberAndTitleOfTheCapturedLibraries) {
  const std::vector<uint8_t> hp48{0x48, 0x50, 0x48, 0x50, 0x34, 0x38, 0x2d, 0x52, 0x40, 0x2b,
                                  0x50, 0x0e, 0x00, 0x12, 0x50, 0x43, 0x54, 0x45, 0x53, 0x54,
                                  0x3a, 0x20, 0x70, 0x6f, 0x72, 0x74, 0x73, 0x20, 0x74, 0x65,
                                  0x73, 0x74, 0x12, 0xd2, 0x44, 0x01};
  const std::vector<uint8_t> hp49{0x48, 0x50, 0x48, 0x50, 0x34, 0x39, 0x2d, 0x42, 0x40, 0x2b,
                                  0x80, 0x0f, 0x00, 0x13, 0x50, 0x43, 0x41, 0x55, 0x54, 0x4f,
                                  0x3a, 0x20, 0x61, 0x75, 0x74, 0x6f, 0x20, 0x61, 0x74, 0x74,
                                  0x61, 0x63, 0x68, 0x13, 0xd3, 0x44};
  const auto a = ReadLibraryFile(hp48);
  const auto b = ReadLibraryFile(hp49);
  ASSERT_TRUE(a && b);
  EXPECT_EQ(a->number, 1234);
  EXPECT_EQ(a->title, "PCTEST: ports test");
  EXPECT_EQ(b->number, 1235);
  EXPECT_EQ(b->title, "PCAUTO: auto attach");
  EXPECT_FALSE(ReadLibraryFile(std::vector<uint8_t>(hp48.begin(), hp48.begin() + 20)));
  // The 49's "port data" string, as R sends it in binary.
  const std::string text = "HPHP49-B,*p\x01" + std::string(1, '\0') + "port data";
  EXPECT_EQ(ReadStringFile(std::vector<uint8_t>(text.begin(), text.end())), "port data");
  EXPECT_FALSE(ReadStringFile(hp48));
}

}  // namespace
}  // namespace dravik::hp48
