#include "link/object_checksum.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

namespace dravik {
namespace {

std::vector<uint8_t> BinaryFile(const std::string& hex, std::string_view head = "HPHP48-R") {
  std::vector<uint8_t> out(head.begin(), head.end());
  for (size_t i = 0; i + 1 < hex.size(); i += 2)
    out.push_back(static_cast<uint8_t>(std::stoi(hex.substr(i, 2), nullptr, 16)));
  return out;
}

// Lines as a real HP48GX listed these objects.
const std::string kListing =
    "{ HOME } 127805\r\n"
    "UCH 11 Character 47049\r\n"
    "S2 13.5 String 31995\r\n"
    "X 16 Real Number 52870\r\n"
    "RS 34 Function 13605\r\n";

TEST(ObjectChecksum, CalculatorFilesMatchTheirListingLines) {
  EXPECT_EQ(CheckObjectFile(BinaryFile("3329000000000000001500"), "X", kListing,
                            TransferDirection::Received),
            ObjectCheck::Match);
  EXPECT_EQ(CheckObjectFile(BinaryFile("2c2a9000006162"), "S2", kListing,
                            TransferDirection::Received),
            ObjectCheck::Match);
  // Seven nibbles: the eighth is the pad and is not part of the checksum.
  EXPECT_EQ(CheckObjectFile(BinaryFile("bf291004"), "UCH", kListing, TransferDirection::Received),
            ObjectCheck::Match);
  EXPECT_EQ(CheckObjectFile(BinaryFile("bf2910f4"), "UCH", kListing, TransferDirection::Received),
            ObjectCheck::Match);
  // An HP49's file against its listing, whose sizes and checksums end in a dot.
  const std::string listing49 = "{ HOME } 246382.\r\nZ 11.5 Integer 1277.\r\nR 16. Real Number 52870.\r\n";
  EXPECT_EQ(CheckObjectFile(BinaryFile("142670000005", "HPHP49-B"), "Z", listing49,
                            TransferDirection::Received),
            ObjectCheck::Match);
  EXPECT_EQ(CheckObjectFile(BinaryFile("3329000000000000001500", "HPHP49-B"), "R", listing49,
                            TransferDirection::Received),
            ObjectCheck::Match);
}

TEST(ObjectChecksum, AGarbledObjectIsCaughtWhereSumsWouldNotBe) {
  // One bit set in one byte and the same bit cleared in another: the sum of
  // the bytes is the same, the calculator's CRC is not.
  EXPECT_EQ(CheckObjectFile(BinaryFile("2c2a9000006063"), "S2", kListing,
                            TransferDirection::Received),
            ObjectCheck::Mismatch);
  // A byte lost or doubled changes the length.
  EXPECT_EQ(CheckObjectFile(BinaryFile("2c2a90000061"), "S2", kListing, TransferDirection::Sent),
            ObjectCheck::Mismatch);
  EXPECT_EQ(CheckObjectFile(BinaryFile("2c2a900000616262"), "S2", kListing,
                            TransferDirection::Received),
            ObjectCheck::Mismatch);
  // The header is outside the CRC: a damaged one must not pass the file
  // off as text with nothing to check, nor keep a byte that is no letter.
  for (auto [at, byte] : {std::pair{2, 'X'}, std::pair{6, '.'}, std::pair{7, '\x12'}}) {
    std::vector<uint8_t> file = BinaryFile("2c2a9000006162");
    file[at] = static_cast<uint8_t>(byte);
    EXPECT_EQ(CheckObjectFile(file, "S2", kListing, TransferDirection::Received),
              ObjectCheck::Mismatch) << at;
  }
  const std::string text = "%%HP: T(3)A(R)F(.);\r\n\"ab\"";
  EXPECT_EQ(CheckObjectFile({text.begin(), text.end()}, "S2", kListing,
                            TransferDirection::Received),
            ObjectCheck::NotCheckable);
}

TEST(ObjectChecksum, ASentFileMayCarryBytesAfterTheObject) {
  // The calculator ignores them when it stores the object.
  EXPECT_EQ(CheckObjectFile(BinaryFile("3329000000000000001500123456"), "X", kListing,
                            TransferDirection::Sent),
            ObjectCheck::Match);
  EXPECT_EQ(CheckObjectFile(BinaryFile("3329000000000000001500123456"), "X", kListing,
                            TransferDirection::Received),
            ObjectCheck::Mismatch);
}

TEST(ObjectChecksum, WhatCannotBeCheckedIsSaidSo) {
  std::string text = "%%HP: T(3)A(D)F(.);\r\n1.5\r\n";
  EXPECT_EQ(CheckObjectFile(std::vector<uint8_t>(text.begin(), text.end()), "X", kListing,
                            TransferDirection::Sent),
            ObjectCheck::NotCheckable);
  // A library command's name is listed as the command itself.
  EXPECT_EQ(CheckObjectFile(BinaryFile("922e20005100"), "RS", kListing, TransferDirection::Sent),
            ObjectCheck::NotCheckable);
  EXPECT_EQ(CheckObjectFile(BinaryFile("3329000000000000001500"), "Y", kListing,
                            TransferDirection::Sent),
            ObjectCheck::NotListed);
  EXPECT_EQ(CheckObjectFile(BinaryFile("3329000000000000001500"), "X", "X 16 Real Number\r\n",
                            TransferDirection::Sent),
            ObjectCheck::NotCheckable);
}

TEST(ObjectChecksum, ListingLinesAreFoundByExactName) {
  EXPECT_FALSE(FindListedObject(kListing, "S").found);
  EXPECT_FALSE(FindListedObject(kListing, "{").found);
  ListedObject s2 = FindListedObject(kListing, "S2");
  EXPECT_TRUE(s2.found);
  EXPECT_EQ(s2.twice_size, 27);
  EXPECT_EQ(s2.checksum, 31995u);
  EXPECT_FALSE(FindListedObject("A 1x Real 5\r\n", "A").found);
}

}  // namespace
}  // namespace dravik
