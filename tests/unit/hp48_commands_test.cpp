#include "link/hp48_commands.h"

#include "link/calculator_model.h"

#include <gtest/gtest.h>

#include <string>

namespace dravik::hp48 {
namespace {

// The real calculator pads each stack line to 24 characters.
const char* kDefaultReply =
    "4:                     1\r\n3:                     1\r\n"
    "2:                     3\r\n1:              { HOME }\r\n";

TEST(CalculatorStateReply, TheTwoExampleReplies) {
  CalculatorState s;
  ASSERT_TRUE(ParseCalculatorState(kDefaultReply, s));
  EXPECT_EQ(s.Path, "HOME\\");
  EXPECT_EQ(s.ChecksumType, 1);
  EXPECT_EQ(s.TranslationMode, 3);
  EXPECT_TRUE(s.BinaryMode);

  ASSERT_TRUE(ParseCalculatorState("0\r\n2\r\n1\r\n{ HOME A B }\r\n", s));
  EXPECT_EQ(s.Path, "HOME\\A\\B\\");
  EXPECT_EQ(s.ChecksumType, 2);
  EXPECT_EQ(s.TranslationMode, 1);
  EXPECT_FALSE(s.BinaryMode);
}

TEST(CalculatorStateReply, DeeperStackLinesAreIgnored) {
  CalculatorState s;
  ASSERT_TRUE(ParseCalculatorState(
      "6: \"x\"\r\n5: { 1 2 }\r\n4: 0\r\n3: 3\r\n2: 0\r\n1: { HOME GAMES }\r\n", s));
  EXPECT_EQ(s.Path, "HOME\\GAMES\\");
  EXPECT_EQ(s.ChecksumType, 3);
  EXPECT_EQ(s.TranslationMode, 0);
}

TEST(CalculatorStateReply, ShortGarbledOrForeignRepliesChangeNothing) {
  const char* bad[] = {
      "",
      "Empty Stack",
      "1: { HOME }\r\n",                                   // too few lines
      "4: 0\r\n3: 1\r\n2: 0\r\n1: { HOME }",               // last line unended
      "4: 0\r\n3: 1\r\n2: 0\r\n1: HOME\r\n",               // no list
      "4: 0\r\n3: 1\r\n2: 0\r\n1: {\r\n",                   // a lone brace
      "4: 0\r\n3: 1\r\n2: x\r\n1: { HOME }\r\n",           // not a digit
      "4: 0\r\n3: 13\r\n2: 0\r\n1: { HOME }\r\n",          // not a single digit
      "4: 0\r\n3: 7\r\n2: 0\r\n1: { HOME }\r\n",           // no such checksum type
      "4: 0\r\n3: 1\r\n2: 0\r\n1: { 1 2 }\r\n",            // not a path
      "Error: Undefined Name\r\n4: 0\r\n3: 1\r\n2: 0\r\n1: { HOME }\r\n",
      "\r\n\r\n\r\n\r\n",
  };
  for (const char* reply : bad) {
    CalculatorState s;
    s.Path = "untouched";
    EXPECT_FALSE(ParseCalculatorState(reply, s)) << reply;
    EXPECT_EQ(s.Path, "untouched");
  }
}

// The HP49G writes reals with a trailing dot (real firmware, group A) and
// shows at most 22 characters of a value.
TEST(CalculatorStateReply, AnHp49AnswersWithDottedRealsAndMayCutThePath) {
  CalculatorState s;
  ASSERT_TRUE(ParseCalculatorState("4:                    0.\r\n3:                    3.\r\n"
                                   "2:                    1.\r\n1:          { HOME D E }\r\n",
                                   s));
  EXPECT_EQ(s.Path, "HOME\\D\\E\\");
  EXPECT_EQ(s.ChecksumType, 3);
  EXPECT_EQ(s.TranslationMode, 1);
  EXPECT_FALSE(s.BinaryMode);
  EXPECT_TRUE(s.DottedNumbers);
  EXPECT_FALSE(s.PathCut);
  EXPECT_EQ(&ModelOfStateReply(s.DottedNumbers), &Hp49Model());

  // A deep path comes cut short: the path is left to the listing.
  ASSERT_TRUE(ParseCalculatorState("4: 1.\r\n3: 3.\r\n2: 3.\r\n1: { HOME ALPHA BRAVO CHA\r\n", s));
  EXPECT_TRUE(s.PathCut);
  EXPECT_EQ(s.Path, "");
  EXPECT_TRUE(s.BinaryMode);
  // An HP48 never cuts a value: the same line is no path.
  EXPECT_FALSE(ParseCalculatorState("4: 1\r\n3: 3\r\n2: 3\r\n1: { HOME ALPHA BRAVO CHA\r\n", s));
  EXPECT_EQ(&ModelOfStateReply(false), &Hp48GxModel());
}

TEST(CalculatorStateReply, CutValuesAreNamedByLevel) {
  // Real HP49G: a list of six names shown cut.
  EXPECT_EQ(CutLevels("2:       { HOME CASDIR }\r\n1: {MODULO,REALASSUME,PER\r\n", 22),
            (std::vector<int>{1}));
  EXPECT_EQ(CutLevels("1: \"01234567890123456789\"\r\n", 22), (std::vector<int>{}));
  EXPECT_EQ(CutLevels("1: \"012345678901234567890\r\n", 22), (std::vector<int>{1}));
}

TEST(CommandTexts, ExactTexts) {
  EXPECT_EQ(SetCalculatorIOCommand(1, 3), "1 TRANSIO 3 CKSM 0 PARITY");
  EXPECT_EQ(SetTransferFormatCommand(true), "-35 SF");
  EXPECT_EQ(SetTransferFormatCommand(false), "-35 CF");
  EXPECT_EQ(ArchiveCommand("MAR99", 3), ":IO:MAR99 \\<<ARCHIVE SERVER\\>>");
  // The user's mode is back before ARCHIVE: the backup holds it, not the 3.
  EXPECT_EQ(ArchiveCommand("MAR99", 1), ":IO:MAR99 \\<<1 TRANSIO ARCHIVE SERVER\\>>");
  EXPECT_EQ(RestoreCommand("MAR99"), "'MAR99' RCL RESTORE");
  EXPECT_EQ(MakeDirectoryCommand("GAMES"), "'GAMES' CRDIR");
  EXPECT_EQ(XModemRunCommand(3), "\\<<XModem.tmp 'XModem.tmp' PURGE SERVER\\>>");
  EXPECT_EQ(XModemRunCommand(1), "\\<<XModem.tmp 'XModem.tmp' PURGE 1 TRANSIO SERVER\\>>");
}

TEST(CommandTexts, PathForms) {
  EXPECT_EQ(CommandForm("HOME\\GAMES\\"), "HOME GAMES ");
  EXPECT_EQ(ListForm("HOME\\WORK\\"), "{HOME WORK }");
  EXPECT_EQ(DestinationList("HOME\\GAMES\\"), "{ HOME GAMES }");
  EXPECT_EQ(MoveRunCommand(), "cdhp48xx.tmp 'cdhp48xx.tmp' PURGE");
}

TEST(CommandTexts, EnteringAPathEvaluatesOnlyDirectories) {
  EXPECT_EQ(EnterPathCommands("HOME\\", true), (std::vector<std::string>{"HOME PATH"}));
  EXPECT_EQ(EnterPathCommands("HOME\\GAMES\\", false),
            (std::vector<std::string>{"HOME 'GAMES' IF 15 TVARS OVER POS THEN EVAL ELSE DROP END"}));
  // Deeper paths take several commands, each fitting one packet; only the
  // last reports where the calculator got to.
  const std::string longest(kMaxNameLength, 'L');
  const auto commands = EnterPathCommands("HOME\\" + longest + "\\AB\\CD\\" + longest + "\\", true);
  std::string joined;
  for (const std::string& c : commands) joined += c + " ";
  EXPECT_EQ(joined, "HOME PATH '" + longest + "' IF 15 TVARS OVER POS THEN EVAL ELSE DROP END PATH "
                    "'AB' IF 15 TVARS OVER POS THEN EVAL ELSE DROP END PATH "
                    "'CD' IF 15 TVARS OVER POS THEN EVAL ELSE DROP END PATH '" + longest +
                    "' IF 15 TVARS OVER POS THEN EVAL ELSE DROP END PATH ");
  for (const std::string& c : commands) EXPECT_TRUE(FitsOnePacket(c)) << c;
  EXPECT_TRUE(EnterPathCommands("HOME\\A B\\", true).empty());
  EXPECT_TRUE(EnterPathCommands("HOME\\" + longest + "X\\", true).empty());

  // Where lists may be cut, each step reports its depth instead.
  EXPECT_EQ(EnterPathCommands("HOME\\A\\", true, "PATH SIZE"),
            (std::vector<std::string>{
                "HOME PATH SIZE 'A' IF 15 TVARS OVER POS THEN EVAL ELSE DROP END PATH SIZE"}));
  EXPECT_EQ(PathsFromDepths("3: 1.\r\n2: 2.\r\n1: 2.\r\n", "HOME\\A\\PRG\\"),
            (std::vector<std::string>{"HOME\\", "HOME\\A\\", "HOME\\A\\"}));
  EXPECT_EQ(PathsFromDepths("3: 1.\r\n2: 1.\r\n1: 2.\r\n", "HOME\\GAMES\\WORK\\"),
            (std::vector<std::string>{"HOME\\", "HOME\\", "HOME\\WORK\\"}));

  // Each step's PATH tells which name did not lead where it should.
  EXPECT_EQ(PathsInReply("3: 9\r\n2: { HOME }\r\n1:   { HOME A }\r\n", 2),
            (std::vector<std::string>{"HOME\\", "HOME\\A\\"}));
  EXPECT_EQ(NotEnteredMessage("HOME\\A\\PRG\\", {"HOME\\", "HOME\\A\\", "HOME\\A\\"}),
            "HOME\\A\\PRG\\ cannot be entered: PRG in HOME\\A\\ is not a directory.\n"
            "Nothing was changed.");
  // WORK is not in GAMES, but the calculator found the one in HOME.
  EXPECT_EQ(NotEnteredMessage("HOME\\GAMES\\WORK\\", {"HOME\\", "HOME\\GAMES\\", "HOME\\WORK\\"}),
            "HOME\\GAMES\\WORK\\ cannot be entered: WORK in HOME\\GAMES\\ is not a directory.\n"
            "Nothing was changed.");
}

TEST(CommandTexts, MoveProgramChecksBeforeItStoresAndStoresBeforeItPurges) {
  std::string p = MoveProgram({"A", "B"}, "HOME\\GAMES\\", "HOME\\WORK\\", false);
  EXPECT_EQ(p.rfind("%%HP: T(3)A(D)F(.);\\<<{A B } { HOME GAMES } {HOME WORK } \\-> L D P ", 0),
            0u);
  EXPECT_EQ(p.find("P EVAL"), std::string::npos);  // a path list is never evaluated
  EXPECT_EQ(p.find("D EVAL"), std::string::npos);
  EXPECT_LT(p.find("IF PATH D SAME VARS 3 PICK POS NOT AND THEN"), p.find("IFERR STO"));
  EXPECT_LT(p.find("IFERR STO"), p.find("IFERR PURGE"));
  EXPECT_EQ(p.find('\n'), std::string::npos);
  EXPECT_EQ(p.substr(p.size() - 19), "-1 STEP \\>> \\>> \\>>");
  std::string r = MoveProgram({"A"}, "HOME\\", "HOME\\W\\", true);
  EXPECT_LT(r.find("IF PATH D SAME THEN DUP IFERR PURGE THEN PGDIR END IFERR STO"), r.size());
}

TEST(CommandTexts, XModemProgramCatchesTransferErrors) {
  EXPECT_EQ(XModemProgram({"GAME.LIB", "NOTES"}, true),
            "%%HP: T(3)A(D)F(.);\\<< IFERR { GAME.LIB NOTES } XRECV THEN DROP END \\>>");
  EXPECT_EQ(XModemProgram({"X"}, false),
            "%%HP: T(3)A(D)F(.);\\<< IFERR { X } XSEND THEN DROP END \\>>");
}

TEST(CommandTexts, ErrorRepliesAndPathsInReplies) {
  EXPECT_EQ(ErrorLine("Error: Non-Empty Directory\r\n1: 'D'\r\n"), "Error: Non-Empty Directory");
  EXPECT_EQ(ErrorLine("Error: Too Few Arguments"), "Error: Too Few Arguments");
  EXPECT_EQ(ErrorLine("Empty Stack"), "");
  EXPECT_EQ(ErrorLine("1: \"Error: not really\"\r\n"), "");
  EXPECT_EQ(PathInReply("2: 'D'\r\n1:          { HOME D }\r\n"), "HOME\\D\\");
  EXPECT_EQ(PathInReply("Empty Stack"), "");
  EXPECT_EQ(StackDepthInReply("Empty Stack"), 0);
  EXPECT_EQ(StackDepthInReply("12:                    1\r\n1:  \"a\r\n3: b\"\r\n"), 12);
  EXPECT_EQ(StackDepthInReply("Error: Invalid Syntax\r\n1:  \"X\"\r\n"), 1);
  EXPECT_EQ(StackDepthInReply("Error: Too Few Arguments\r\nEmpty Stack"), 0);
  EXPECT_EQ(StackDepthInReply("garbage"), -1);
  EXPECT_EQ(TopOfStack("2: 0\r\n1:                     1\r\n"), "1");
}

TEST(CommandTexts, LongNameListsGoInSeveralPurges) {
  std::vector<std::string> names;
  for (int i = 0; i < 30; ++i) names.push_back("NAME" + std::to_string(i));
  const auto commands = PurgeCommands(names);
  ASSERT_EQ(commands.size(), 3u);
  std::string all;
  for (const std::string& c : commands) {
    EXPECT_TRUE(FitsOnePacket(c)) << c;
    all += c.substr(1, c.size() - 8);
  }
  EXPECT_EQ(all.substr(0, 12), "NAME0 NAME1 ");
  EXPECT_EQ(all.size(), 10 * 6 + 20 * 7u);
  EXPECT_EQ(PurgeCommands({"A", "B"}), (std::vector<std::string>{"{A B } PURGE"}));
}

TEST(CommandTexts, WhatMayGoIntoOneCommand) {
  EXPECT_TRUE(FitsOnePacket(std::string(kMaxCommandText, 'A')));
  EXPECT_FALSE(FitsOnePacket(std::string(kMaxCommandText + 1, 'A')));
  // "#" and control characters take two characters each once encoded.
  EXPECT_TRUE(FitsOnePacket("# 5d\r"));
  EXPECT_TRUE(FitsOnePacket(std::string(kMaxCommandText - 1, 'A') + "\xab"));
  EXPECT_FALSE(FitsOnePacket(std::string(kMaxCommandText - 1, 'A') + "#"));
  EXPECT_TRUE(IsPlainName("GAME.LIB"));
  EXPECT_TRUE(IsPlainName("X1"));
  for (const char* bad : {"", "A B", "A'B", "A}", "{A", "A\\B", "A:B", "A\x01"})
    EXPECT_FALSE(IsPlainName(bad)) << bad;
  EXPECT_TRUE(IsCalculatorName(std::string(kMaxNameLength, 'N')));
  EXPECT_FALSE(IsCalculatorName(std::string(kMaxNameLength + 1, 'N')));
  EXPECT_EQ(NameProblem(std::string(kMaxNameLength + 1, 'N')), "longer than 40 characters");
}

}  // namespace
}  // namespace dravik::hp48
