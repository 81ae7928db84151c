// The command texts the PC program sends, run on the calculator's memory.
#include <gtest/gtest.h>

#include "calculator.h"

namespace dravik::sim {
namespace {

Bytes B(const std::string& s) { return Bytes(s.begin(), s.end()); }

std::string Level(int n, const std::string& text) {
  std::string label = std::to_string(n) + ":";
  size_t pad = label.size() + text.size() < 24 ? 24 - label.size() - text.size() : 1;
  return label + std::string(pad, ' ') + text + "\r\n";
}

TEST(CommandLanguage, ConnectionCheckReadsFlagSettingsAndPath) {
  Calculator calc;
  const char* check = "-35 FS? IOPAR 5 GET IOPAR 6 GET PATH";
  EXPECT_EQ(calc.RunCommandLine("1 TRANSIO 3 CKSM 0 PARITY"), "Empty Stack");
  EXPECT_EQ(calc.RunCommandLine(check), Level(4, "0") + Level(3, "3") + Level(2, "1") + Level(1, "{ HOME }"));
  EXPECT_EQ(calc.RunCommandLine("4 DROPN"), "Empty Stack");
  calc.RunCommandLine("-35 SF 2 TRANSIO 1 CKSM 'GAMES' CRDIR 'GAMES' EVAL 'CHESS' CRDIR HOME GAMES CHESS ");
  EXPECT_TRUE(calc.BinaryTransfers());
  EXPECT_EQ(calc.ChecksumType(), 1);
  EXPECT_EQ(calc.TranslationMode(), 2);
  EXPECT_EQ(calc.RunCommandLine(check),
            Level(4, "1") + Level(3, "1") + Level(2, "2") + Level(1, "{ HOME GAMES CHESS }"));
  EXPECT_EQ(calc.PathText(), "{ HOME GAMES CHESS }");
  EXPECT_EQ(calc.RunCommandLine("4 DROPN -35 CF HOME "), "Empty Stack");
  EXPECT_FALSE(calc.BinaryTransfers());
  EXPECT_EQ(calc.PathText(), "{ HOME }");
}

// VERSION tells the models apart: the GX and the 49 answer with two
// strings, the SX has no such command and keeps the name.
struct VersionCase {
  SimModel model;
  std::string reply;
};

class Version : public ::testing::TestWithParam<VersionCase> {};

TEST_P(Version, AnswersAsTheModel) {
  Calculator calc(GetParam().model);
  EXPECT_EQ(calc.RunCommandLine("VERSION"), GetParam().reply);
}

INSTANTIATE_TEST_SUITE_P(
    Models, Version,
    ::testing::Values(
        VersionCase{SimModel::k48SX, Level(1, "'VERSION'")},
        VersionCase{SimModel::k48GX, Level(2, "\"Version HP48-R\"") + Level(1, "\"Copyright HP 1993\"")},
        VersionCase{SimModel::k49G, "2: \"Version HP49-B\r\nRevisi\r\n1:   \"Copyright HP 2001\"\r\n"}),
    [](const ::testing::TestParamInfo<VersionCase>& param) {
      return std::string("HP") + SimModelName(param.param.model);
    });

TEST(CommandLanguage, BadSettingsAreRefusedWithTheArgumentPutBack) {
  Calculator calc;
  EXPECT_EQ(calc.RunCommandLine("4 CKSM"), "Error: Bad Argument Value\r\n" + Level(1, "4"));
  EXPECT_EQ(calc.RunCommandLine("CLEAR 7 TRANSIO"), "Error: Bad Argument Value\r\n" + Level(1, "7"));
  EXPECT_EQ(calc.RunCommandLine("CLEAR -35 FS? 4 DROPN"), "Error: Too Few Arguments\r\n" + Level(2, "0") + Level(1, "4"));
  EXPECT_EQ(calc.ChecksumType(), 3);
  EXPECT_EQ(calc.TranslationMode(), 1);
}

TEST(CommandLanguage, PurgeCrdirPgdirAndDirectoryMoves) {
  Calculator calc;
  calc.RunCommandLine("1 'A' STO 2 'B' STO 3 'C' STO");
  EXPECT_EQ(calc.RunCommandLine("{A B } PURGE"), "Empty Stack");
  EXPECT_EQ(calc.VariableNames("HOME\\"), (std::vector<std::string>{"C", "IOPAR"}));
  EXPECT_EQ(calc.RunCommandLine("GAMES CRDIR"), "Empty Stack");
  EXPECT_EQ(calc.TypeOf("HOME\\", "GAMES"), "Directory");
  EXPECT_EQ(calc.RunCommandLine("HOME GAMES "), "Empty Stack");
  EXPECT_EQ(calc.PathText(), "{ HOME GAMES }");
  EXPECT_EQ(calc.RunCommandLine("9 'HI' STO UPDIR 'GAMES' PURGE"),
            "Error: Non-Empty Directory\r\n" + Level(1, "'GAMES'"));
  EXPECT_EQ(calc.RunCommandLine("CLEAR 'GAMES' PGDIR"), "Empty Stack");
  EXPECT_EQ(calc.VariableNames("HOME\\"), (std::vector<std::string>{"C", "IOPAR"}));
  EXPECT_EQ(calc.RunCommandLine("'NOSUCH' PGDIR"), "Error: Undefined Name\r\n" + Level(1, "'NOSUCH'"));
  EXPECT_EQ(calc.RunCommandLine("CLEAR 'C' PGDIR"), "Error: Bad Argument Value\r\n" + Level(1, "'C'"));
}

TEST(CommandLanguage, CrdirOfAnExistingNameEntersItThenLacksAnArgument) {
  Calculator calc;
  EXPECT_EQ(calc.RunCommandLine("X CRDIR"), "Empty Stack");
  EXPECT_EQ(calc.RunCommandLine("X CRDIR"), "Error: Too Few Arguments\r\nEmpty Stack");
  EXPECT_EQ(calc.PathText(), "{ HOME X }");
}

TEST(CommandLanguage, TheMoveProgramMovesVariablesAndWholeDirectories) {
  const std::string program =
      "%%HP: T(3)A(D)F(.);\\<<{A B } { HOME DEST } {HOME SRC } \\-> L D P \\<<P EVAL L SIZE 1 FOR A L A GET "
      "DUP DUP RCL SWAP IFERR PURGE THEN PGDIR END D EVAL SWAP STO P EVAL -1 STEP \\>> \\>>";
  Calculator calc;
  calc.RunCommandLine("'DEST' CRDIR 'SRC' CRDIR SRC 'A' CRDIR A 'INNER' CRDIR INNER 5 'V' STO UPDIR UPDIR "
                      "\"text\" 'B' STO 7 'KEEP' STO");
  ASSERT_EQ(calc.PathText(), "{ HOME SRC }");
  ASSERT_TRUE(calc.StoreUpload("cdhp48xx.tmp", B(program)).ok);
  EXPECT_EQ(calc.TypeOf("HOME\\SRC\\", "cdhp48xx.tmp"), "Program");
  EXPECT_EQ(calc.RunCommandLine("cdhp48xx.tmp {HOME SRC } EVAL 'cdhp48xx.tmp' PURGE { HOME DEST } EVAL"),
            "Empty Stack");
  EXPECT_EQ(calc.PathText(), "{ HOME DEST }");
  EXPECT_EQ(calc.VariableNames("HOME\\SRC\\"), std::vector<std::string>{"KEEP"});
  // The program works from the last name back, so A is the newest.
  EXPECT_EQ(calc.VariableNames("HOME\\DEST\\"), (std::vector<std::string>{"A", "B"}));
  EXPECT_EQ(calc.TypeOf("HOME\\DEST\\A\\INNER\\", "V"), "Real Number");
}

TEST(CommandLanguage, TheMoveProgramStopsAtAMissingName) {
  const std::string program =
      "%%HP: T(3)A(D)F(.);\\<<{A B } { HOME D } {HOME } \\-> L D P \\<<P EVAL L SIZE 1 FOR A L A GET "
      "DUP DUP RCL SWAP IFERR PURGE THEN PGDIR END D EVAL SWAP STO P EVAL -1 STEP \\>> \\>>";
  Calculator calc;
  calc.RunCommandLine("1 'A' STO 'D' CRDIR");
  ASSERT_TRUE(calc.StoreUpload("cdhp48xx.tmp", B(program)).ok);
  EXPECT_EQ(calc.RunCommandLine("cdhp48xx.tmp {HOME } EVAL 'cdhp48xx.tmp' PURGE { HOME D } EVAL"),
            "Error: Undefined Name\r\n" + Level(3, "'B'") + Level(2, "'B'") + Level(1, "'B'"));
  EXPECT_EQ(calc.PathText(), "{ HOME }");
  EXPECT_EQ(calc.TypeOf("HOME\\", "cdhp48xx.tmp"), "Program");
  EXPECT_EQ(calc.TypeOf("HOME\\", "A"), "Real Number");
}

TEST(CommandLanguage, ErrorsStopTheLineAndSyntaxErrorsRunNothing) {
  Calculator calc;
  EXPECT_EQ(calc.RunCommandLine("1 'A' STO 1 0 / 2 'B' STO"),
            "Error: Infinite Result\r\n" + Level(2, "1") + Level(1, "0"));
  EXPECT_EQ(calc.TypeOf("HOME\\", "A"), "Real Number");
  EXPECT_EQ(calc.TypeOf("HOME\\", "B"), "");
  EXPECT_EQ(calc.RunCommandLine("CLEAR 1E400 SQ 2000 EXP"), "Error: Overflow\r\n" + Level(1, "1.E400"));
  calc.RunCommandLine("CLEAR");
  // Missing closing delimiters are supplied, as the command line does.
  EXPECT_EQ(calc.RunCommandLine("3 'C' STO { 1 2"), Level(1, "{ 1 2 }"));
  calc.RunCommandLine("CLEAR");
  EXPECT_EQ(calc.RunCommandLine("5 'NEG' STO"), "Error: Invalid Syntax\r\n" + Level(1, "\"5 'NEG' STO\""));
  EXPECT_EQ(calc.RunCommandLine("CLEAR 1 FOR I"),
            "Error: Invalid Syntax\r\n" + Level(2, "\"5 'NEG' STO\"") + Level(1, "\"CLEAR 1 FOR I\""));
}

TEST(CommandLanguage, TrigraphsAreReadOnlyUnderTransio3) {
  Calculator calc;
  EXPECT_EQ(calc.RunCommandLine("\\<< 1 \\>>"), "Error: Invalid Syntax\r\n" + Level(1, "\"\\<< 1 \\>>\""));
  calc.RunCommandLine("CLEAR 3 TRANSIO");
  EXPECT_EQ(calc.RunCommandLine("\\<< 1 \\>> \xab 2 \xbb"),
            "2:                 \\<< 1 \\>>\r\n1:                 \\<< 2 \\>>\r\n");
}

TEST(CommandLanguage, ProgramsWithLocalsLoopsAndTests) {
  Calculator calc;
  EXPECT_EQ(calc.RunCommandLine("0 1 5 FOR I I + NEXT"), Level(1, "15"));
  EXPECT_EQ(calc.RunCommandLine("CLEAR 3 4 \xab \x8d a b \xab a b * \xbb \xbb EVAL"), Level(1, "12"));
  EXPECT_EQ(calc.RunCommandLine("CLEAR 1 IF 2 > THEN \"big\" ELSE \"small\" END"), Level(1, "\"small\""));
  EXPECT_EQ(calc.RunCommandLine("CLEAR \xab DUP * \xbb 'SQR' STO 7 SQR"), Level(1, "49"));
  EXPECT_EQ(calc.RunCommandLine("CLEAR { 10 20 30 } 2 GET { 1 } SIZE \"abc\" SIZE"),
            Level(3, "20") + Level(2, "1") + Level(1, "3"));
  EXPECT_EQ(calc.RunCommandLine("CLEAR 1 2 SWAP DUP DROP"), Level(2, "2") + Level(1, "1"));
  EXPECT_EQ(calc.RunCommandLine("CLEAR \xab 1 WHILE 1 REPEAT END \xbb EVAL"), "Error: Interrupted\r\n" + Level(1, "1"));
}

TEST(CommandLanguage, UploadsFollowTheirHeaderOrFlag35) {
  Calculator calc;
  EXPECT_EQ(calc.StoreUpload("TP", B("%%HP: T(3)A(D)F(.);\r\n\\<< 1 2 + \\>>\r\n")).stored_name, "TP");
  EXPECT_EQ(calc.TypeOf("HOME\\", "TP"), "Program");
  EXPECT_EQ(calc.StoreUpload("TP", B("%%HP: T(3)A(D)F(.);\r\n44\r\n")).stored_name, "TP.1");
  EXPECT_EQ(calc.StoreUpload("H2", B("%%HP: T(3)A(R)F(,);\r\n1,5\r\n")).stored_name, "H2");
  EXPECT_EQ(calc.BinaryOf("HOME\\", "H2"), calc.BinaryOf("HOME\\", "H2"));
  EXPECT_NE(calc.DirectoryListing().find("H2 17 Real Number 52870\r\n"), std::string::npos);
  EXPECT_EQ(calc.StoreUpload("NH", B("hello world")).stored_name, "NH");
  EXPECT_EQ(calc.TypeOf("HOME\\", "NH"), "Program");
  EXPECT_EQ(calc.StoreUpload("BAD", B("\\<< 1 \\>>")).error, "Invalid Syntax");
  calc.RunCommandLine("-35 SF");
  EXPECT_EQ(calc.StoreUpload("TXT", B("(1,2)")).stored_name, "TXT");
  EXPECT_EQ(calc.TypeOf("HOME\\", "TXT"), "String");
  EXPECT_EQ(calc.RecallForTransfer("NOSUCH").error, "Undefined Name");
  EXPECT_EQ(calc.RecallForTransfer("NEG").error, "Invalid Name");
  EXPECT_EQ(calc.StoreUpload("DUP", B("1")).error, "Invalid Name");
  EXPECT_EQ(calc.StoreUpload("A B", B("1")).error, "Invalid Name");
  EXPECT_EQ(calc.StoreUpload("A\r\nB 1 Real Number 1", B("1")).error, "Invalid Name");
}

}  // namespace
}  // namespace dravik::sim

namespace dravik::sim {
namespace {

TEST(CommandLanguage, StackListAndStringCommands) {
  Calculator calc;
  EXPECT_EQ(calc.RunCommandLine("1 2 3 3 PICK 3 ROLL 2 ROLLD"), Level(4, "1") + Level(3, "3") + Level(2, "2") + Level(1, "1"));
  EXPECT_EQ(calc.RunCommandLine("CLEAR 1 2 2 \x8dLIST OBJ\x8d"), Level(3, "1") + Level(2, "2") + Level(1, "2"));
  EXPECT_EQ(calc.RunCommandLine("CLEAR \"1 2 +\" STR\x8d { 7 8 9 } TAIL HEAD"), Level(2, "3") + Level(1, "8"));
  EXPECT_EQ(calc.RunCommandLine("CLEAR \"HELLO\" 2 3 SUB 65 CHR \"B\" NUM (1,2) \x8dSTR"),
            Level(4, "\"EL\"") + Level(3, "\"A\"") + Level(2, "66") + Level(1, "\"(1,2)\""));
  EXPECT_EQ(calc.RunCommandLine("CLEAR 1 2 \x89 1 2 \x8a 1 2 \x8b \"a\" \"a\" \x8b"),
            Level(4, "1") + Level(3, "0") + Level(2, "1") + Level(1, "0"));
  EXPECT_EQ(calc.RunCommandLine("CLEAR \"1 +\" STR\x8d"), "Error: Too Few Arguments\r\n" + Level(1, "1"));
}

}  // namespace
}  // namespace dravik::sim

namespace dravik::sim {
namespace {

TEST(CommandLanguage, CaseRunsTheFirstTrueClauseOrTheDefault) {
  Calculator calc;
  calc.RunCommandLine("\xab \x8d n \xab CASE n 0 < THEN \"neg\" END n 0 == THEN \"zero\" END "
                      "IF n 9 > THEN \"big\" ELSE \"small\" END END \xbb \xbb 'SIGN' STO");
  EXPECT_EQ(calc.RunCommandLine("-4 SIGN 0 SIGN 5 SIGN 12 SIGN"),
            Level(4, "\"neg\"") + Level(3, "\"zero\"") + Level(2, "\"small\"") + Level(1, "\"big\""));
  EXPECT_EQ(calc.RunCommandLine("CLEAR CASE 1 THEN END END"), "Empty Stack");
  EXPECT_EQ(calc.RunCommandLine("CASE 1 THEN END"), "Error: Invalid Syntax\r\n" + Level(1, "\"CASE 1 THEN END\""));
}

}  // namespace
}  // namespace dravik::sim

namespace dravik::sim {
namespace {

TEST(CommandLanguage, NamesInArithmeticGiveAlgebraics) {
  Calculator calc;
  EXPECT_EQ(calc.RunCommandLine("'X^2+1' EVAL"), Level(1, "'X^2+1'"));
  EXPECT_EQ(calc.RunCommandLine("CLEAR 3 'X' STO 'X^2+1' EVAL"), Level(1, "10"));
  EXPECT_EQ(calc.RunCommandLine("CLEAR 'A' 2 * 'B' - NEG"), Level(1, "'-(A*2-B)'"));
  EXPECT_EQ(calc.RunCommandLine("CLEAR \"s\" 'A' +"), "Error: Bad Argument Type\r\n" + Level(2, "\"s\"") + Level(1, "'A'"));
}

}  // namespace
}  // namespace dravik::sim
