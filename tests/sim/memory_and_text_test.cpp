// The demo memory, the memory file, and objects as text under TRANSIO 0-3.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "calculator.h"

namespace dravik::sim {
namespace {

Bytes B(const std::string& s) { return Bytes(s.begin(), s.end()); }
std::string S(const Bytes& b) { return std::string(b.begin(), b.end()); }

class TempFile {
 public:
  TempFile() {
    path_ = (std::filesystem::temp_directory_path() /
             ("simcore_mem_" + std::to_string(::getpid()) + "_" + std::to_string(counter_++)))
                .string();
  }
  ~TempFile() { std::remove(path_.c_str()); }
  const std::string& path() const { return path_; }

 private:
  static inline int counter_ = 0;
  std::string path_;
};

TEST(DemoMemory, HoldsDirectoriesProgramsAndEveryCommonType) {
  Calculator demo = Calculator::Demo();
  std::vector<std::string> home = demo.VariableNames("HOME\\");
  ASSERT_FALSE(home.empty());
  EXPECT_EQ(home.back(), "IOPAR");
  EXPECT_EQ(demo.TypeOf("HOME\\", "GAMES"), "Directory");
  EXPECT_EQ(demo.TypeOf("HOME\\GAMES\\", "CHESS"), "Directory");
  EXPECT_FALSE(demo.VariableNames("HOME\\GAMES\\CHESS\\").empty());
  EXPECT_EQ(demo.TypeOf("HOME\\", "PIC"), "Graphic");
  EXPECT_EQ(demo.TypeOf("HOME\\", "DEMOLIB"), "Library");
  EXPECT_EQ(demo.TypeOf("HOME\\", "PRIMES"), "List");
  EXPECT_EQ(demo.TypeOf("HOME\\", "SQ2"), "Program");
  EXPECT_EQ(demo.TypeOf("HOME\\", "GREET"), "String");
  EXPECT_EQ(demo.TypeOf("HOME\\", "PI2"), "Real Number");
  EXPECT_EQ(demo.RunCommandLine("PIC"), "1:      Graphic 131 \xd7 64\r\n");
  // Every variable in the demo recalls and lists.
  demo.RunCommandLine("CLEAR -35 SF");
  for (const std::string& n : home) {
    EXPECT_TRUE(demo.RecallForTransfer(n).ok) << n;
  }
  EXPECT_EQ(demo.RunCommandLine("CLEAR 5 SQ2 GAMES DICE"), "1:                   151\r\n");
}

// Each model's memory, its own objects included (a 49's exact integers and
// local-variable programs), comes back as it was, and as that model.
class MemoryFile : public ::testing::TestWithParam<SimModel> {};

TEST_P(MemoryFile, SavesAndLoadsTheWholeStateAndTheModel) {
  Calculator demo = Calculator::Demo(GetParam());
  demo.InsertCard(32 * 1024);  // a 48's port 1 (a 49 has its own)
  demo.RunCommandLine("\"card\" :1:PX STO -35 SF 2 CKSM GAMES 1 \"two\"");
  TempFile f;
  std::string error;
  ASSERT_TRUE(demo.SaveMemory(f.path(), &error)) << error;
  Calculator loaded;
  ASSERT_TRUE(loaded.LoadMemory(f.path(), &error)) << error;
  EXPECT_EQ(loaded.model(), GetParam());
  EXPECT_EQ(loaded.DirectoryListing(), demo.DirectoryListing());
  EXPECT_EQ(loaded.StackDisplay(), demo.StackDisplay());
  EXPECT_EQ(loaded.PathText(), "{ HOME GAMES }");
  EXPECT_TRUE(loaded.BinaryTransfers());
  EXPECT_EQ(loaded.ChecksumType(), 2);
  EXPECT_EQ(loaded.BinaryOf("HOME\\", "PIC"), demo.BinaryOf("HOME\\", "PIC"));
  EXPECT_EQ(loaded.RunCommandLine("CLEAR 2 WORK AREA HOME"), demo.RunCommandLine("CLEAR 2 WORK AREA HOME"));
  EXPECT_EQ(loaded.RunCommandLine("CLEAR 1 PVARS"), demo.RunCommandLine("CLEAR 1 PVARS"));
}

INSTANTIATE_TEST_SUITE_P(Models, MemoryFile,
                         ::testing::Values(SimModel::k48SX, SimModel::k48GX, SimModel::k49G),
                         [](const ::testing::TestParamInfo<SimModel>& param) {
                           return std::string("HP") + SimModelName(param.param);
                         });

TEST(MemoryFileLoad, DamagedOrMissingFilesFailAndKeepTheMemory) {
  Calculator calc;
  calc.RunCommandLine("1 'KEPT' STO");
  std::string error;
  EXPECT_FALSE(calc.LoadMemory("/nonexistent/dir/memory", &error));
  EXPECT_FALSE(error.empty());
  TempFile good;
  ASSERT_TRUE(Calculator::Demo().SaveMemory(good.path()));
  std::ifstream in(good.path(), std::ios::binary);
  std::string all((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const std::vector<std::string> bad = {
      "", "garbage", all.substr(0, all.size() / 2), all.substr(0, 30),
      std::string("DRAVIK-SIM-MEMORY 1\nHPHP48-R") + std::string(200, '\xff'),
      std::string("DRAVIK-SIM-MEMORY 1\nHPHP48-R3)\x00\x00\x00\x00\x00\x00\x00\x15\x00", 39)};
  for (const std::string& content : bad) {
    TempFile f;
    std::ofstream(f.path(), std::ios::binary) << content;
    error.clear();
    EXPECT_FALSE(calc.LoadMemory(f.path(), &error)) << content.size();
    EXPECT_FALSE(error.empty());
  }
  EXPECT_EQ(calc.TypeOf("HOME\\", "KEPT"), "Real Number");
}

TEST(ObjectText, AsciiFilesUnderEachTranslationMode) {
  Calculator calc;
  calc.RunCommandLine("\xab 1 \xbb 'P' STO \"\x80\x8d\x8f\xab\xbb\xd7\xe5\xff#\" 'X8' STO 1_m 'U' STO "
                      "\"ab\" 'S' STO 'D' CRDIR 'X' 'N' STO GROB 8 2 0000 'G' STO");
  const struct {
    int mode;
    const char* name;
    std::string file;
  } cases[] = {
      {0, "P", "%%HP: T(0)A(D)F(.);\r\n\xab 1\r\n\xbb\r\n"},
      {0, "X8", "%%HP: T(0)A(D)F(.);\r\n\"\x80\x8d\x8f\xab\xbb\xd7\xe5\xff#\""},
      {0, "U", "%%HP: T(0)A(D)F(.);\r\n'1_m'\r\n"},
      {1, "S", "%%HP: T(1)A(D)F(.);\r\n\"ab\""},
      {1, "D", "%%HP: T(1)A(D)F(.);\r\nDIR\r\nEND\r\n"},
      {1, "N", "%%HP: T(1)A(D)F(.);\r\nX\r\n"},
      {1, "G", "%%HP: T(1)A(D)F(.);\r\nGROB 8 2 0000\r\n"},
      {2, "P", "%%HP: T(2)A(D)F(.);\r\n\xab 1\r\n\xbb\r\n"},
      {2, "X8", "%%HP: T(2)A(D)F(.);\r\n\"\\<)\\->\\|v\xab\xbb\xd7\xe5\xff#\""},
      {3, "P", "%%HP: T(3)A(D)F(.);\r\n\\<< 1\r\n\\>>\r\n"},
      {3, "X8", "%%HP: T(3)A(D)F(.);\r\n\"\\<)\\->\\|v\\<<\\>>\\.x\\229\\255#\""},
  };
  for (const auto& c : cases) {
    calc.RunCommandLine(std::to_string(c.mode) + " TRANSIO");
    RecallResult r = calc.RecallForTransfer(c.name);
    ASSERT_TRUE(r.ok) << c.name;
    EXPECT_EQ(S(r.file), c.file) << c.mode << " " << c.name;
    // What goes out comes back in as the same object.
    StoreResult back = calc.StoreUpload(std::string(c.name) + "2", r.file);
    ASSERT_TRUE(back.ok) << c.name;
    EXPECT_EQ(calc.BinaryOf("HOME\\", back.stored_name), calc.BinaryOf("HOME\\", c.name)) << c.name;
    calc.RunCommandLine("'" + back.stored_name + "' PURGE");
  }
}

TEST(ObjectText, LongProgramsBreakIntoIndentedLinesAsTheCalculatorPrintsThem) {
  Calculator calc;
  ASSERT_TRUE(calc.StoreUpload("M", B("%%HP: T(3)A(D)F(.);\\<<{A B } { HOME D } {HOME } \\-> L D P \\<<P EVAL "
                                      "L SIZE 1 FOR A L A GET DUP DUP RCL SWAP IFERR PURGE THEN PGDIR END D "
                                      "EVAL SWAP STO P EVAL -1 STEP \\>> \\>>"))
                  .ok);
  EXPECT_EQ(S(calc.RecallForTransfer("M").file),
            "%%HP: T(1)A(D)F(.);\r\n\xab { A B } { HOME D\r\n} { HOME } \x8d L D P\r\n  \xab P EVAL L SIZE 1\r\n"
            "    FOR A L A GET\r\nDUP DUP RCL SWAP\r\n      IFERR PURGE\r\n      THEN PGDIR\r\n"
            "      END D EVAL\r\nSWAP STO P EVAL -1\r\n    STEP\r\n  \xbb\r\n\xbb\r\n");
}

TEST(ObjectText, StackLevelsArePaddedToTwentyFourCharacters) {
  Calculator calc;
  EXPECT_EQ(calc.RunCommandLine("-2 1E100 1.23456789012E-50 .5 -0.25 123456789012 1E-11"),
            "7:                    -2\r\n6:                1.E100\r\n5:     1.23456789012E-50\r\n"
            "4:                    .5\r\n3:                  -.25\r\n2:          123456789012\r\n"
            "1:          .00000000001\r\n");
  EXPECT_EQ(calc.RunCommandLine("CLEAR \"a\nb\" :T:1 [[ 1 2 ][ 3 4 ]] # 255d"),
            "4:                 \"a\r\nb\"\r\n3:                  T: 1\r\n2:    [[ 1 2 ]  [ 3 4 ]]\r\n"
            "1:                # 255d\r\n");
}

}  // namespace
}  // namespace dravik::sim
