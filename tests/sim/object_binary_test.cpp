// Binary forms, sizes and CRCs against objects captured from a real HP48GX.
#include <gtest/gtest.h>

#include "calculator.h"
#include "hp_object.h"
#include "nibbles.h"
#include "object_text.h"
#include "rpl_parser.h"

namespace dravik::sim {
namespace {

Bytes FromHex(const std::string& hex) {
  Bytes b = {'H', 'P', 'H', 'P', '4', '8', '-', 'R'};
  for (size_t i = 0; i + 1 < hex.size(); i += 2) {
    b.push_back(static_cast<uint8_t>(std::stoi(hex.substr(i, 2), nullptr, 16)));
  }
  return b;
}

struct Vector {
  const char* name;
  const char* type;
  const char* hex;
  const char* size;
  unsigned crc;
};

// name, listed type, binary after "HPHP48-R", listed size, listed CRC.
const Vector kVectors[] = {
    {"X", "Real Number", "3329000000000000001500", "16", 52870},
    {"CX", "Complex Number", "77290000000000000010000000000000002000", "25", 45768},
    {"S0", "String", "2c2a500000", "11.5", 51135},
    {"S3", "String", "2c2ab00000616263", "14.5", 40413},
    {"L0", "List", "742ab01203", "11.5", 30182},
    {"L2", "List", "742a902c2adea2b21203", "16.5", 52320},
    {"PR", "Program", "9d2de06123c9a2e22d2a67ab9163232b3100", "24", 57669},
    {"GR", "Graphic", "1e2b30010002008000000000", "18.5", 13982},
    {"GR3", "Graphic", "1e2b5001000300300000010203", "20.5", 19060},
    {"BI", "Binary Integer", "4e2a5001000500000000000000", "19.5", 30518},
    {"BI2", "Binary Integer", "4e2a500100ffff000000000000", "20.5", 40155},
    {"ALG", "Algebraic", "b82a902c2a482e108075b61a2b3100", "22", 33929},
    {"UN", "Unit", "da2a902c2a2c2a7000006d860bb11203", "22.5", 54012},
    {"GN", "Global Name", "482e108005", "11", 16030},
    {"DE", "Directory", "962af07f000000", "13", 24171},
    {"SD", "Directory", "962af07f0a000000000143013329000000000000002000", "29", 49573},
    {"QQQQQQQQQQQQ", "Real Number", "3329000000000000007000", "27", 30791},
    {"IOPAR", "List", "742a103922b4a2422b2ab4a2322f2ac9a2b21203", "29.5", 8861},
    {"URP", "Real Number", "33290000000000000015f0", "18", 52870},
    {"URX", "Real Number", "3329000000000000001500123456", "18", 52870},
    {"USB", "System Binary", "1129503412", "12.5", 43142},
    {"UCH", "Character", "bf291004", "11", 47049},
    {"ULR", "Long Real", "55290000000100000000000010", "20.5", 8111},
    {"ULC", "Long Complex", "9d2900000000000000000000010000000000000000002000", "31", 48021},
    {"UCD", "Code", "cc2df0000041124608c8", "17.5", 63442},
    {"ULN", "Local Name", "6d2e101006", "12", 57032},
    {"UTG", "Real Number", "fc2a10403593020000000000000001", "18", 7537},
    {"TT2", "Real Number", "fc2a1010c4af0201423329000000000000001000", "18", 7537},
    {"TL", "List", "742ac0af02015433290000000000000010b01203", "26.5", 35748},
    {"XLA", "XLIB Name", "922e505a0000", "13", 36422},
    {"file.txt", "Real Number", "3329000000000000001500", "23", 52870},
    {"X8", "String", "2c2a700100808d8fabbbd7e5ff23", "20.5", 64508},
};

TEST(ObjectBinary, UploadedBinaryObjectsListWithTheCapturedSizeTypeAndCrc) {
  for (const Vector& v : kVectors) {
    Calculator calc;
    StoreResult r = calc.StoreUpload(v.name, FromHex(v.hex));
    ASSERT_TRUE(r.ok) << v.name;
    std::string line = std::string(v.name) + " " + v.size + " " + v.type + " " + std::to_string(v.crc) + "\r\n";
    EXPECT_NE(calc.DirectoryListing().find(line), std::string::npos)
        << v.name << ": " << calc.DirectoryListing();
  }
}

TEST(ObjectBinary, RecalledBinaryIsTheObjectWithoutTagsPadOrTrailingBytes) {
  Calculator calc;
  calc.RunCommandLine("-35 SF");
  ASSERT_TRUE(calc.StoreUpload("URX", FromHex("3329000000000000001500123456")).ok);
  ASSERT_TRUE(calc.StoreUpload("UTG", FromHex("fc2a10403593020000000000000001")).ok);
  EXPECT_EQ(calc.RecallForTransfer("URX").file, FromHex("3329000000000000001500"));
  EXPECT_EQ(calc.RecallForTransfer("UTG").file, FromHex("3329000000000000001000"));
}

TEST(ObjectBinary, TypedObjectsCompileToTheCapturedBinaryForms) {
  struct Case {
    const char* command;
    const char* name;
    const char* hex;
  } cases[] = {
      {"1.5 'X' STO", "X", "3329000000000000001500"},
      {"(1,2) 'CX' STO", "CX", "77290000000000000010000000000000002000"},
      {"\"abc\" 'S3' STO", "S3", "2c2ab00000616263"},
      {"{ } 'L0' STO", "L0", "742ab01203"},
      {"{ 1 2 } 'L2' STO", "L2", "742a902c2adea2b21203"},
      {"\xab 1 2 + \xbb 'PR' STO", "PR", "9d2de06123c9a2e22d2a67ab9163232b3100"},
      {"# 5d 'BI' STO", "BI", "4e2a5001000500000000000000"},
      {"'1+X' 'ALG' STO", "ALG", "b82a902c2a482e108075b61a2b3100"},
      {"1_m 'UN' STO", "UN", "da2a902c2a2c2a7000006d860bb11203"},
      {":T:1 'TG' STO", "TG", "3329000000000000001000"},
      {":A::B:1 'TT3' STO", "TT3", "3329000000000000001000"},
      {"{ :T:1 } 'TL' STO", "TL", "742ac0af02015433290000000000000010b01203"},
      {"[ 1 2 ] 'V' STO", "V", ""},
      {"'DR' CRDIR DR 1 'A' STO \"hi\" 'B' STO 'SD' CRDIR SD 2 'C' STO HOME", "DR", ""},
  };
  Calculator calc;
  for (const Case& c : cases) {
    std::string reply = calc.RunCommandLine(c.command);
    EXPECT_EQ(reply, "Empty Stack") << c.command;
    if (*c.hex) {
      EXPECT_EQ(calc.BinaryOf("HOME\\", c.name), FromHex(c.hex)) << c.command;
    }
  }
  std::string listing = calc.DirectoryListing();
  EXPECT_NE(listing.find("DR 70.5 Directory 57260\r\n"), std::string::npos) << listing;
  EXPECT_NE(listing.find("V 34 Real Array 44465\r\n"), std::string::npos) << listing;
  EXPECT_NE(listing.find("TL 26.5 List 35748\r\n"), std::string::npos) << listing;
  // The directory's binary form goes back in under another name unchanged.
  ASSERT_TRUE(calc.StoreUpload("DR2", calc.BinaryOf("HOME\\", "DR")).ok);
  EXPECT_NE(calc.DirectoryListing().find("DR2 71.5 Directory 57260\r\n"), std::string::npos);
  EXPECT_EQ(calc.VariableNames("HOME\\DR2\\SD\\"), std::vector<std::string>{"C"});
}

TEST(ObjectBinary, BytesGivesTheListingFiguresForANameAndNibblesForAnObject) {
  Calculator calc;
  calc.RunCommandLine("1.5 'X' STO 'X' 'GN' STO");
  EXPECT_EQ(calc.RunCommandLine("'X' BYTES"),
            "2:              # 52870d\r\n1:                    16\r\n");
  calc.RunCommandLine("CLEAR");
  EXPECT_EQ(calc.RunCommandLine("'GN' RCL BYTES"),
            "2:              # 52870d\r\n1:                    16\r\n");
  calc.RunCommandLine("CLEAR");
  EXPECT_EQ(calc.RunCommandLine("\"abc\" BYTES"),
            "2:              # 40413d\r\n1:                     8\r\n");
}

TEST(ObjectBinary, MalformedBinaryFilesAreRefusedWithoutHarm) {
  Calculator calc;
  const char* bad[] = {"", "33", "332900", "2c2a50ff00", "742a902c2a", "962af07f430000000001",
                       "fc2a10", "d9d20", "962af07f0a000000000143ff"};
  for (const char* h : bad) {
    StoreResult r = calc.StoreUpload("BAD", FromHex(h));
    EXPECT_FALSE(r.ok) << h;
    EXPECT_EQ(r.error, "Invalid Syntax") << h;
  }
  EXPECT_EQ(calc.VariableNames("HOME\\"), std::vector<std::string>{"IOPAR"});
}

TEST(ObjectBinary, SaturnCrcIsCrc16KermitForWholeBytes) {
  Nibbles n;
  PutByteText(n, "123456789");
  EXPECT_EQ(SaturnCrc(n), 0x2189);
}

}  // namespace
}  // namespace dravik::sim
