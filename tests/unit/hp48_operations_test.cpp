// The calculator operations against a scripted server on a pseudo-terminal:
// the exact command texts, in order, and how replies are taken.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <string>
#include <vector>

#include "hpview/listing_cache.h"
#include "link/hp48_commands.h"
#include "pty_link.h"
#include "scratch_folder.h"
#include "scripted_hp48.h"

namespace dravik {
namespace {

using testing::PtyLink;
using testing::ScratchFolder;
using testing::ScriptedHp48;
using Strings = std::vector<std::string>;

const char* kStateReply =
    "4:                     0\r\n3:                     2\r\n"
    "2:                     1\r\n1:            { HOME A B }\r\n";

class OperationsTest : public ::testing::Test {
 protected:
  OperationsTest() : server(link.pty.master()) {
    ::setenv("XDG_CONFIG_HOME", config.path().c_str(), 1);
    // Each "PATH" answers where the scripted calculator is.
    server.on_command = [this](const std::string& c) { return Answer(c); };
  }
  ~OperationsTest() override {
    server.Stop();
    ::unsetenv("XDG_CONFIG_HOME");
  }
  void SetUp() override { ASSERT_TRUE(link.opened); }

  std::string Answer(const std::string& command) {
    auto it = replies.find(command);
    if (it != replies.end()) return it->second;
    if (command.size() >= 4 && command.compare(command.size() - 4, 4, "PATH") == 0)
      return "1:" + std::string(10, ' ') + calculator_path + "\r\n";
    return "Empty Stack";
  }
  Strings Captions() const {
    Strings out;
    for (const auto& m : link.window.messages()) out.push_back(m.caption + ": " + m.text);
    return out;
  }
  CHP48Link& hp() { return *link.link; }
  Session& session() { return link.session; }

  ScratchFolder config;
  PtyLink link{3};
  ScriptedHp48 server;
  std::string calculator_path = "{ HOME }";
  std::map<std::string, std::string> replies;
};

TEST_F(OperationsTest, ConnectionCheckReadsStateAndClearsTheStack) {
  replies["-35 FS? IOPAR 5 GET IOPAR 6 GET PATH"] = kStateReply;
  session().BinaryMode = true;
  EXPECT_EQ(hp().QueryCalculatorState(), 1);
  EXPECT_EQ(server.commands(), (Strings{"-35 FS? IOPAR 5 GET IOPAR 6 GET PATH", "4 DROPN"}));
  EXPECT_EQ(session().CurrentHPPath, "HOME\\A\\B\\");
  EXPECT_EQ(session().HPWorkingPath, "HOME\\A\\B\\");
  EXPECT_EQ(session().Settings.ChecksumType, 2);
  EXPECT_EQ(session().Settings.TranslationMode, 1);
  EXPECT_FALSE(session().BinaryMode);
  EXPECT_FALSE(link.window.wait_cursor());
}

TEST_F(OperationsTest, UnreadableConnectionCheckChangesNothing) {
  replies["-35 FS? IOPAR 5 GET IOPAR 6 GET PATH"] = "1: { HOME }\r\n";
  session().Settings.TranslationMode = 2;
  EXPECT_EQ(hp().QueryCalculatorState(), 0);
  EXPECT_EQ(server.commands(), (Strings{"-35 FS? IOPAR 5 GET IOPAR 6 GET PATH"}));
  EXPECT_EQ(session().Settings.TranslationMode, 2);
  EXPECT_EQ(Captions(), (Strings{"Error: The answer to the connection check cannot be read:\n"
                                 "1: { HOME }"}));
}

TEST_F(OperationsTest, ErrorReplyIsAFailureShownWithItsFirstLine) {
  replies["{A D } PURGE"] = "Error: Non-Empty Directory\r\n1:                   'D'\r\n";
  EXPECT_EQ(hp().PurgeObjects("{A D }"), 0);
  EXPECT_EQ(Captions(), (Strings{"Error Message from HP48: Error: Non-Empty Directory"}));
}

TEST_F(OperationsTest, PurgesFirstMakeSureWhereTheCalculatorIs) {
  session().CurrentHPPath = "HOME\\D\\";
  calculator_path = "{ HOME D }";
  EXPECT_EQ(hp().PurgeObjects("{A B }"), 1);
  EXPECT_EQ(hp().PurgeDirectory("'E'"), 1);
  EXPECT_EQ(server.commands(), (Strings{"HOME D PATH", "DROP", "{A B } PURGE", "HOME D PATH",
                                        "DROP", "'E' PGDIR"}));
}

TEST_F(OperationsTest, PurgeIsRefusedWhenTheCalculatorStayedElsewhere) {
  // D was deleted on the calculator: "HOME D" leaves it in HOME.
  session().CurrentHPPath = "HOME\\D\\";
  EXPECT_EQ(hp().PurgeObjects("{A }"), 0);
  EXPECT_EQ(server.commands(), (Strings{"HOME D PATH", "DROP"}));
  EXPECT_EQ(session().HPWorkingPath, "HOME\\");
  EXPECT_EQ(Captions(), (Strings{"Error: The HP48 is not in HOME\\D\\ but in HOME\\\n"
                                 "Nothing was changed."}));
}

TEST_F(OperationsTest, CommandTooLongForOnePacketIsNotSent) {
  std::string list = "{";
  for (int i = 0; i < 20; ++i) list += "NAME" + std::to_string(i) + " ";
  list += "}";
  EXPECT_EQ(hp().PurgeObjects(list), 0);
  EXPECT_TRUE(server.commands().empty());
  ASSERT_EQ(link.window.messages().size(), 1u);
  EXPECT_EQ(link.window.messages()[0].text.rfind("The command is too long for one packet (", 0),
            0u);
}

TEST_F(OperationsTest, SettingsCommands) {
  session().Settings.TranslationMode = 1;
  session().Settings.ChecksumType = 3;
  EXPECT_EQ(hp().SetCalculatorIO(), 1);
  session().BinaryMode = true;
  EXPECT_EQ(hp().SetTransferFormat(), 1);
  session().BinaryMode = false;
  EXPECT_EQ(hp().SetTransferFormat(), 1);
  EXPECT_EQ(hp().MakeHPDirectory("GAMES"), 1);
  EXPECT_EQ(hp().MakeHPDirectory("A B"), 0);
  EXPECT_EQ(server.commands(),
            (Strings{"1 TRANSIO 3 CKSM 0 PARITY", "-35 SF", "-35 CF", "'GAMES' CRDIR"}));
}

TEST_F(OperationsTest, ArchiveSwitchesToModeThreeAndLeavesServerMode) {
  session().Settings.TranslationMode = 1;
  EXPECT_EQ(hp().StartArchive("MAR99"), 1);
  EXPECT_EQ(hp().m_noInitPacket, 1);
  server.WaitForLog(3);
  EXPECT_EQ(server.log(), (Strings{"C 3 TRANSIO", "C :IO:MAR99 \\<<ARCHIVE 1 TRANSIO SERVER\\>>",
                                   "G F"}));
}

TEST_F(OperationsTest, ArchiveInModeThreeSendsOneCommand) {
  session().Settings.TranslationMode = 3;
  EXPECT_EQ(hp().StartArchive("MAR99"), 1);
  server.WaitForLog(2);
  EXPECT_EQ(server.log(), (Strings{"C :IO:MAR99 \\<<ARCHIVE SERVER\\>>", "G F"}));
}

TEST_F(OperationsTest, RestoreSendsItsCommandAndReadsNoReply) {
  EXPECT_EQ(hp().RestoreBackup("MAR99"), 1);
  // The link did not wait for the answer; the command arrives all the same.
  server.WaitForLog(1);
  EXPECT_EQ(server.commands(), (Strings{"'MAR99' RCL RESTORE"}));
}

TEST_F(OperationsTest, MoveUploadsItsProgramAfterPurgingAnOldCopy) {
  session().CurrentHPPath = session().HPWorkingPath = "HOME\\WORK\\";
  calculator_path = "{ HOME WORK }";
  session().Job.TransferList = {"A", "B"};
  EXPECT_EQ(hp().MoveObjects("HOME\\GAMES\\"), 1);
  EXPECT_EQ(server.log(),
            (Strings{"C HOME WORK PATH", "C DROP", "C 'cdhp48xx.tmp' PURGE", "upload cdhp48xx.tmp",
                     "C cdhp48xx.tmp {HOME WORK } EVAL 'cdhp48xx.tmp' PURGE { HOME GAMES } EVAL",
                     "C HOME WORK "}));
  EXPECT_EQ(server.uploads().at("cdhp48xx.tmp"),
            hp48::MoveProgram({"A", "B"}, "HOME\\GAMES\\", "HOME\\WORK\\"));
  EXPECT_EQ(session().CurrentHPPath, "HOME\\WORK\\");
  EXPECT_FALSE(std::filesystem::exists(config / "dravik/cdhp48xx.tmp"));
}

TEST_F(OperationsTest, MoveIntoAMovedDirectoryIsRefused) {
  session().Job.TransferList = {"X", "D"};
  EXPECT_EQ(hp().MoveObjects("HOME\\D\\E\\"), 0);
  EXPECT_EQ(hp().MoveObjects("HOME\\D\\"), 0);
  EXPECT_EQ(hp().MoveObjects("HOME\\"), 0);  // already there
  EXPECT_EQ(hp().MoveObjects("HOME\\DX\\"), 1);  // only a like-named neighbour
  EXPECT_EQ(Captions()[0], "Error: Cannot move D into HOME\\D\\E\\: it lies inside D");
  EXPECT_EQ(server.commands().front(), "HOME PATH");
}

TEST_F(OperationsTest, MoveStopsWhenTheProgramCannotBeSent) {
  server.refuse_uploads = true;
  session().Job.TransferList = {"A"};
  EXPECT_EQ(hp().MoveObjects("HOME\\G\\"), 0);
  EXPECT_EQ(server.log(),
            (Strings{"C HOME PATH", "C DROP", "C 'cdhp48xx.tmp' PURGE", "upload refused"}));
  EXPECT_FALSE(std::filesystem::exists(config / "dravik/cdhp48xx.tmp"));
}

TEST_F(OperationsTest, FailedMoveRunPurgesTheLeftOverProgram) {
  replies["cdhp48xx.tmp {HOME } EVAL 'cdhp48xx.tmp' PURGE { HOME G } EVAL"] =
      "Error: Undefined Name\r\n1: 'B'\r\n";
  session().Job.TransferList = {"B"};
  EXPECT_EQ(hp().MoveObjects("HOME\\G\\"), 0);
  Strings log = server.log();
  ASSERT_GE(log.size(), 2u);
  EXPECT_EQ(log[log.size() - 2], "C HOME ");
  EXPECT_EQ(log.back(), "C 'cdhp48xx.tmp' PURGE");
}

TEST_F(OperationsTest, XModemSendRefusesTextFilesOnceAndKeepsSizesAligned) {
  ScratchFolder pc;
  testing::WriteBytes(pc / "T1", {'%', '%', 'H', 'P'});
  testing::WriteBytes(pc / "GAME.LIB", {'H', 'P', 'H', 'P'});
  testing::WriteBytes(pc / "T2", {'%', '%'});
  testing::WriteBytes(pc / "NOTES", {'H'});
  session().Job.TransferList = {pc / "T1", pc / "GAME.LIB", pc / "T2", pc / "NOTES"};
  session().Job.TransferSizes = {4, 4, 2, 1};
  session().Settings.TranslationMode = 1;
  ListingCache cache(session());
  session().CurrentHPPath = "HOME\\";
  // NOTES is already on the calculator: it comes in as NOTES.1.
  struct Canned : ListingLink {
    std::string text = "{ HOME } 1\r\nNOTES 5 String 1\r\n";
    int ChangeDirectory() override { return 1; }
    int GoHome() override { return 1; }
    int ReadDirectory() override { return 1; }
    const std::string& DirectoryListing() const override { return text; }
  } canned;
  cache.ReadListing(canned);

  EXPECT_EQ(hp().PrepareXModemJob(true, &cache), 1);
  server.WaitForLog(5);
  EXPECT_EQ(session().Job.TransferList, (Strings{pc / "GAME.LIB", pc / "NOTES"}));
  EXPECT_EQ(session().Job.TransferSizes, (std::vector<uint32_t>{4, 1}));
  EXPECT_EQ(Captions(), (Strings{"Attention: Only binary files are transmitted with XModem!"}));
  EXPECT_EQ(server.log(),
            (Strings{"C 'XModem.tmp' PURGE", "upload XModem.tmp", "C 3 TRANSIO",
                     "C \\<<XModem.tmp 'XModem.tmp' PURGE 1 TRANSIO SERVER\\>>", "G F"}));
  EXPECT_EQ(server.uploads().at("XModem.tmp"),
            "%%HP: T(3)A(D)F(.);\\<< IFERR { GAME.LIB NOTES.1 } XRECV THEN END \\>>");
  EXPECT_FALSE(std::filesystem::exists(config / "dravik/XModem.tmp"));
}

TEST_F(OperationsTest, XModemJobOfTextFilesOnlySendsNothing) {
  ScratchFolder pc;
  testing::WriteBytes(pc / "T1", {'%'});
  testing::WriteBytes(pc / "T2", {'%'});
  session().Job.TransferList = {pc / "T1", pc / "T2"};
  EXPECT_EQ(hp().PrepareXModemJob(true, nullptr), 0);
  EXPECT_TRUE(server.log().empty());
  EXPECT_EQ(link.window.messages().size(), 1u);
}

TEST_F(OperationsTest, XModemReceiveInModeThreeAsksForTheNamesAsTheyAre) {
  session().Job.TransferList = {"A", "B"};
  session().Settings.TranslationMode = 3;
  EXPECT_EQ(hp().PrepareXModemJob(false, nullptr), 1);
  server.WaitForLog(4);
  EXPECT_EQ(server.log(), (Strings{"C 'XModem.tmp' PURGE", "upload XModem.tmp",
                                   "C \\<<XModem.tmp 'XModem.tmp' PURGE SERVER\\>>", "G F"}));
  EXPECT_EQ(server.uploads().at("XModem.tmp"),
            "%%HP: T(3)A(D)F(.);\\<< IFERR { A B } XSEND THEN END \\>>");
}

}  // namespace
}  // namespace dravik
