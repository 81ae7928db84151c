// Whatever arrives from the line, the calculator answers and stays sound:
// random and deeply nested inputs to every entry point.
#include <gtest/gtest.h>

#include <map>
#include <random>

#include "calculator.h"

namespace dravik::sim {
namespace {

const std::map<std::string, std::string> kLibraries = {
#include "data/captured_libraries.inc"
};

class RandomInput : public ::testing::TestWithParam<SimModel> {};

TEST_P(RandomInput, RandomBytesNeverBreakUploadsCommandsOrRecalls) {
  std::mt19937 rng(48);
  const std::string alphabet = "{}[]()\"'#:_\xab\xbb\x8d 0123456789.E-+*/ABCXYZ\\<>FOR NEXT IFERR THEN END DIR";
  Calculator calc = Calculator::Demo(GetParam());
  const std::string header = Traits(GetParam()).binary_header;
  for (int round = 0; round < 3000; ++round) {
    size_t len = rng() % 80;
    std::string text;
    for (size_t i = 0; i < len; ++i) {
      text += round % 2 ? static_cast<char>(rng() & 0xFF) : alphabet[rng() % alphabet.size()];
    }
    Bytes bin(header.begin(), header.end());
    for (size_t i = 0; i < len; ++i) bin.push_back(static_cast<uint8_t>(rng()));
    calc.StoreUpload("F" + std::to_string(round), Bytes(text.begin(), text.end()));
    calc.StoreUpload("G" + std::to_string(round), bin);
    std::string reply = calc.RunCommandLine(text);
    EXPECT_FALSE(reply.empty());
    calc.RunCommandLine("CLEAR HOME");
  }
  calc.RunCommandLine("-35 SF");
  for (const std::string& n : calc.VariableNames("HOME\\")) EXPECT_TRUE(calc.RecallForTransfer(n).ok) << n;
  calc.RunCommandLine("-35 CF");
  for (const std::string& n : calc.VariableNames("HOME\\")) EXPECT_TRUE(calc.RecallForTransfer(n).ok) << n;
  EXPECT_FALSE(calc.DirectoryListing().empty());
}

INSTANTIATE_TEST_SUITE_P(Models, RandomInput, ::testing::Values(SimModel::k48GX, SimModel::k49G),
                         [](const ::testing::TestParamInfo<SimModel>& param) {
                           return std::string("HP") + SimModelName(param.param);
                         });

TEST(HostileInput, DeepNestingIsRefusedNotFollowed) {
  Calculator calc;
  std::string lists(100000, '{');
  EXPECT_EQ(calc.RunCommandLine(lists).rfind("Error: Invalid Syntax\r\n", 0), 0u);
  std::string algebraic = "'" + std::string(50000, '(') + "1'";
  calc.RunCommandLine("CLEAR");
  EXPECT_EQ(calc.RunCommandLine(algebraic).rfind("Error: Invalid Syntax\r\n", 0), 0u);
  // A binary list nested 100000 deep.
  Bytes bin = {'H', 'P', 'H', 'P', '4', '8', '-', 'R'};
  for (int i = 0; i < 100000; ++i) {
    bin.push_back(0x47);  // 02A74, two and a half bytes a level
    bin.push_back(0xA2);
    bin.push_back(0x40);
    bin.push_back(0x7A);
    bin.push_back(0x02);
  }
  EXPECT_EQ(calc.StoreUpload("DEEP", bin).error, "Invalid Syntax");
  // Recursion in a program ends with an error instead of a crash.
  calc.RunCommandLine("CLEAR \xab REC \xbb 'REC' STO");
  EXPECT_EQ(calc.RunCommandLine("REC").rfind("Error: Insufficient Memory\r\n", 0), 0u);
}

// A library whose command is itself (its string turned into XLIB 1234 0),
// and one cut short: its tables point past its end.
TEST(HostileInput, LibrariesThatCallThemselvesOrEndEarlyAreSafe) {
  Calculator calc(SimModel::k49G);
  std::string looping = kLibraries.at("hp49-reference/library_1234.bin");
  looping.replace(113, 6, std::string("\x92\x2E\x20\x4D\x00\x40", 6));
  calc.StoreUpload("LOOP", Bytes(looping.begin(), looping.end()));
  EXPECT_EQ(calc.RunCommandLine("'LOOP' RCL 0 STO"), "Empty Stack");
  EXPECT_EQ(calc.RunCommandLine("1234 ATTACH"), "Empty Stack");
  EXPECT_EQ(calc.RunCommandLine("HELLO").rfind("Error: Insufficient Memory\r\n", 0), 0u);

  std::string cut = kLibraries.at("hp49-reference/library_1235_config.bin").substr(0, 60);
  cut[8 + 2] = '\x13';  // the length no longer says where the object ends
  calc.StoreUpload("CUT", Bytes(cut.begin(), cut.end()));
  calc.RunCommandLine("CLEAR 'CUT' RCL 1 STO 1235 ATTACH");
  calc.WarmStart();
  EXPECT_FALSE(calc.RunCommandLine("LIBS 1 PVARS HI2").empty());
}

}  // namespace
}  // namespace dravik::sim

namespace dravik::sim {
namespace {

TEST(HostileInput, ProgramsCannotGrowPastTheCalculatorsMemory) {
  Calculator calc;
  EXPECT_EQ(calc.RunCommandLine("\"x\" 1 40 START DUP + NEXT").rfind("Error: Insufficient Memory\r\n", 0), 0u);
  calc.RunCommandLine("CLEAR");
  EXPECT_EQ(calc.RunCommandLine("1 1 1000000 START DUP NEXT").rfind("Error: Insufficient Memory\r\n", 0), 0u);
  calc.RunCommandLine("CLEAR");
  EXPECT_EQ(calc.RunCommandLine("{ 1 } 1 40 START DUP + NEXT").rfind("Error: Insufficient Memory\r\n", 0), 0u);
}

TEST(HostileInput, StoresAndUploadsStopWhereTheMemoryOfAGxEnds) {
  Calculator calc;
  EXPECT_TRUE(calc.HasRoomFor(127843));
  EXPECT_FALSE(calc.HasRoomFor(127844));
  EXPECT_EQ(calc.RunCommandLine("MEM"), "1:              127843.5\r\n");
  calc.RunCommandLine("CLEAR -35 SF");  // a text file without header becomes a String
  EXPECT_EQ(calc.StoreUpload("BIG", Bytes(5 << 20, 'x')).error, "Insufficient Memory");

  // Seven strings of 16 KB fill it; the eighth STO fails and keeps its arguments.
  const std::string make = "\"x\" 1 14 START DUP + NEXT ";
  for (int k = 1; k <= 7; ++k) {
    EXPECT_EQ(calc.RunCommandLine(make + "'A" + std::to_string(k) + "' STO"), "Empty Stack");
  }
  EXPECT_EQ(calc.RunCommandLine(make + "'A8' STO").rfind("Error: Insufficient Memory\r\n2:", 0), 0u);
  calc.RunCommandLine("CLEAR");
  EXPECT_EQ(calc.StoreUpload("C", Bytes(16384, 'x')).error, "Insufficient Memory");
  EXPECT_TRUE(calc.StoreUpload("D", Bytes(100, 'x')).ok);
  EXPECT_EQ(calc.VariableNames("HOME\\").size(), 9u);  // A1..A7, D, IOPAR
  EXPECT_EQ(calc.RunCommandLine("{ A1 A2 } PURGE MEM 30000 >"), "1:                     1\r\n");
}

}  // namespace
}  // namespace dravik::sim
