// The calculator operations against a scripted server on a pseudo-terminal:
// the exact command texts, in order, and how replies are taken.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "listing/listing_cache.h"
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

// True when no temporary program folder is left in the config folder.
bool NoProgramFileLeft(const std::string& folder) {
  for (const auto& entry : std::filesystem::directory_iterator(folder))
    if (entry.path().filename().string().rfind("upload.", 0) == 0) return false;
  return true;
}

class OperationsTest : public ::testing::Test {
 protected:
  OperationsTest() : server(link.pty.master()) {
    ::setenv("XDG_CONFIG_HOME", config.path().c_str(), 1);
    // Each "PATH" answers where the scripted calculator is.
    server.on_command = [this](const std::string& c) { return Answer(c); };
    server.on_listing = [this] { return calculator_path + " 1\r\n" + contents[calculator_path]; };
  }
  ~OperationsTest() override {
    server.Stop();
    ::unsetenv("XDG_CONFIG_HOME");
  }
  void SetUp() override { ASSERT_TRUE(link.opened); }

  std::string Answer(const std::string& command) {
    auto it = replies.find(command);
    if (it != replies.end()) return it->second;
    // The scripted move program moves everything out of the source.
    if (command == hp48::MoveRunCommand()) contents[calculator_path].clear();
    size_t n = 0;
    if (command == "DROP") n = 1;
    if (command.size() > 6 && command.substr(command.size() - 6) == " DROPN") n = std::stoul(command);
    if (n) stack.resize(stack.size() > n ? stack.size() - n : 0);
    Follow(command);
    if (stack.empty()) return "Empty Stack";
    std::string shown;
    for (size_t k = 0; k < stack.size(); ++k)
      shown += std::to_string(stack.size() - k) + ":" + std::string(10, ' ') + stack[k] + "\r\n";
    return shown;
  }
  // Runs a guarded path command: HOME, PATH, and each quoted name entered
  // unless it is listed in not_directories.
  void Follow(const std::string& command) {
    if (command.rfind("HOME", 0) != 0 && command.find("TVARS") == std::string::npos) return;
    std::istringstream words(command);
    for (std::string w; words >> w;) {
      if (w == "HOME") calculator_path = "{ HOME }";
      if (w == "PATH") stack.push_back(calculator_path);
      if (w.size() > 2 && w.front() == '\'' && !not_directories.count(w.substr(1, w.size() - 2)))
        calculator_path.insert(calculator_path.size() - 1, w.substr(1, w.size() - 2) + " ");
    }
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
  Strings stack;  // what the scripted calculator's PATH commands left
  std::map<std::string, std::string> replies;
  std::set<std::string> not_directories;
  std::map<std::string, std::string> contents;  // listing lines by path list
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
  EXPECT_EQ(hp().m_stackDepth, 0);  // as the answer to "4 DROPN" shows
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

TEST_F(OperationsTest, AFailedCommandLeavesTheStackAsItWasFound) {
  hp().m_stackDepth = 2;  // the user's two objects, as the last reply showed
  // What the failed command pushed goes; the user's objects stay.
  replies["{A D } PURGE"] = "Error: Non-Empty Directory\r\n4: 7\r\n3: 8\r\n2: 'A'\r\n1: 'D'\r\n";
  EXPECT_EQ(hp().RunCalculatorCommand("{A D } PURGE"), 0);
  EXPECT_EQ(hp48::ErrorLine(hp().HostReply), "Error: Non-Empty Directory");
  // A syntax error pushes the whole command as a string.
  replies["'B' PGDIR"] = "Error: Invalid Syntax\r\n3: 7\r\n2: 8\r\n1: \"'B' PGDIR\"\r\n";
  EXPECT_EQ(hp().RunCalculatorCommand("'B' PGDIR"), 0);
  EXPECT_EQ(hp().m_stackDepth, 2);
  EXPECT_EQ(server.commands(), (Strings{"{A D } PURGE", "2 DROPN", "'B' PGDIR", "1 DROPN"}));
}

TEST_F(OperationsTest, PurgesFirstMakeSureWhereTheCalculatorIs) {
  session().CurrentHPPath = "HOME\\D\\";
  EXPECT_EQ(hp().PurgeObjects("{A B }"), 1);
  EXPECT_EQ(hp().PurgeDirectory("'E'"), 1);
  const std::string enter_d = "HOME PATH 'D' IF 15 TVARS OVER POS THEN EVAL ELSE DROP END PATH";
  EXPECT_EQ(server.commands(), (Strings{enter_d, "2 DROPN", "{A B } PURGE", enter_d, "2 DROPN",
                                        "'E' PGDIR"}));
}

TEST_F(OperationsTest, PurgeIsRefusedWhenTheCalculatorStayedElsewhere) {
  // D was deleted on the calculator, or holds a program: the calculator
  // leaves it alone and stays in HOME.
  not_directories = {"D"};
  session().CurrentHPPath = "HOME\\D\\";
  EXPECT_EQ(hp().PurgeObjects("{A }"), 0);
  EXPECT_EQ(server.commands(),
            (Strings{"HOME PATH 'D' IF 15 TVARS OVER POS THEN EVAL ELSE DROP END PATH", "2 DROPN"}));
  EXPECT_EQ(session().HPWorkingPath, "HOME\\");
  EXPECT_EQ(Captions(), (Strings{"Error: HOME\\D\\ cannot be entered: D in HOME\\ is not a "
                                 "directory.\nNothing was changed."}));
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
  // A new directory's name is asked about first: a command's name ("SUB")
  // would be a syntax error.
  replies["'GAMES' TYPE 6 =="] = "1:                     1\r\n";
  EXPECT_EQ(hp().MakeHPDirectory("GAMES"), 1);
  EXPECT_EQ(hp().MakeHPDirectory("A B"), 0);
  EXPECT_EQ(server.commands(), (Strings{"1 TRANSIO 3 CKSM 0 PARITY", "-35 SF", "-35 CF",
                                        "'GAMES' TYPE 6 ==", "DROP", "'GAMES' CRDIR"}));
  replies["'SUB' TYPE 6 =="] = "Error: Invalid Syntax\r\n1: \"'SUB' TYPE 6 ==\"\r\n";
  EXPECT_EQ(hp().MakeHPDirectory("SUB"), 0);
  EXPECT_EQ(Captions().back(),
            "Error: The HP48 cannot store a variable named SUB: it reads that as a command, a "
            "number or an expression, not as a name.");
}

TEST_F(OperationsTest, ArchiveSwitchesToModeThreeAndLeavesServerMode) {
  session().Settings.TranslationMode = 1;
  replies["'MAR99' TYPE 6 =="] = "1:                     1\r\n";
  EXPECT_EQ(hp().StartArchive("MAR99"), 1);
  EXPECT_EQ(hp().m_noInitPacket, 1);
  server.WaitForLog(5);
  EXPECT_EQ(server.log(), (Strings{"C 'MAR99' TYPE 6 ==", "C DROP", "C 3 TRANSIO",
                                   "C :IO:MAR99 \\<<1 TRANSIO ARCHIVE SERVER\\>>", "G F"}));
}

TEST_F(OperationsTest, ArchiveInModeThreeSendsOneCommand) {
  session().Settings.TranslationMode = 3;
  replies["'MAR99' TYPE 6 =="] = "1:                     1\r\n";
  EXPECT_EQ(hp().StartArchive("MAR99"), 1);
  server.WaitForLog(4);
  EXPECT_EQ(server.log(), (Strings{"C 'MAR99' TYPE 6 ==", "C DROP",
                                   "C :IO:MAR99 \\<<ARCHIVE SERVER\\>>", "G F"}));
}

TEST_F(OperationsTest, RestoreReadsTheAnswerOfACalculatorThatCannotRestore) {
  replies["'MAR99' RCL RESTORE"] = "Error: Bad Argument Type\r\n1:                     7\r\n";
  EXPECT_EQ(hp().RestoreBackup("MAR99"), 0);
  EXPECT_EQ(server.commands(), (Strings{"'MAR99' RCL RESTORE", "DROP"}));
  EXPECT_EQ(Captions(), (Strings{"Error Message from HP48: Error: Bad Argument Type"}));
}

TEST_F(OperationsTest, MoveUploadsItsProgramAfterPurgingAnOldCopy) {
  session().CurrentHPPath = session().HPWorkingPath = "HOME\\WORK\\";
  calculator_path = "{ HOME WORK }";
  contents["{ HOME WORK }"] = "A 10 Real Number 1\r\nB 10 Real Number 2\r\n";
  session().Job.TransferList = {"A", "B"};
  EXPECT_EQ(hp().MoveObjects("HOME\\GAMES\\"), 1) << ::testing::PrintToString(Captions());
  const std::string enter_work =
      "C HOME PATH 'WORK' IF 15 TVARS OVER POS THEN EVAL ELSE DROP END PATH";
  EXPECT_EQ(server.log(),
            (Strings{"C HOME PATH 'GAMES' IF 15 TVARS OVER POS THEN EVAL ELSE DROP END PATH",
                     "C 2 DROPN", "G D", enter_work, "C 2 DROPN", "G D", "C 'cdhp48xx.tmp' PURGE",
                     "upload cdhp48xx.tmp", "C cdhp48xx.tmp 'cdhp48xx.tmp' PURGE", enter_work,
                     "C 2 DROPN", "G D"}));
  EXPECT_EQ(server.uploads().at("cdhp48xx.tmp"),
            hp48::MoveProgram({"A", "B"}, "HOME\\GAMES\\", "HOME\\WORK\\", false));
  EXPECT_EQ(session().CurrentHPPath, "HOME\\WORK\\");
  EXPECT_TRUE(NoProgramFileLeft(config / "dravik"));
}

TEST_F(OperationsTest, MoveChecksDestinationAndSourcesAndAsksBeforeReplacing) {
  contents["{ HOME }"] = "G 10 Directory 1\r\nS 10 String 1\r\nEQ 10 Algebraic 1\r\n";
  contents["{ HOME G }"] = "EQ 10 Real Number 1\r\n";
  not_directories = {"S", "NOSUCH"};
  session().Job.TransferList = {"EQ"};
  // Not a directory, or not there: refused before anything is stored.
  EXPECT_EQ(hp().MoveObjects("HOME\\S\\"), 0);
  EXPECT_EQ(hp().MoveObjects("HOME\\NOSUCH\\"), 0);
  session().Job.TransferList = {"EQ", "GONE"};
  EXPECT_EQ(hp().MoveObjects("HOME\\G\\"), 0);
  // G holds an EQ already: the window is asked; No keeps everything.
  session().Job.TransferList = {"EQ"};
  link.window.answer = MessageAnswer::No;
  EXPECT_EQ(hp().MoveObjects("HOME\\G\\"), 0);
  EXPECT_TRUE(server.uploads().empty());
  EXPECT_EQ(Captions(),
            (Strings{"Error: HOME\\S\\ cannot be entered: S in HOME\\ is not a directory.\n"
                     "Nothing was changed.",
                     "Error: HOME\\NOSUCH\\ cannot be entered: NOSUCH in HOME\\ is not a "
                     "directory.\nNothing was changed.",
                     "Error: Not in HOME\\: GONE\nNothing was moved.",
                     "Move: HOME\\G\\ already holds EQ.\nReplace it with the moved object?"}));
  // Yes: the program replaces it.
  link.window.answer = MessageAnswer::Yes;
  EXPECT_EQ(hp().MoveObjects("HOME\\G\\"), 1);
  EXPECT_EQ(server.uploads().at("cdhp48xx.tmp"),
            hp48::MoveProgram({"EQ"}, "HOME\\G\\", "HOME\\", true));
}

TEST_F(OperationsTest, MoveIntoAMovedDirectoryIsRefused) {
  session().Job.TransferList = {"X", "D"};
  EXPECT_EQ(hp().MoveObjects("HOME\\D\\E\\"), 0);
  EXPECT_EQ(hp().MoveObjects("HOME\\D\\"), 0);
  EXPECT_EQ(hp().MoveObjects("HOME\\"), 0);  // already there
  EXPECT_EQ(Captions()[0], "Error: Cannot move D into HOME\\D\\E\\: it lies inside D");
  EXPECT_TRUE(server.commands().empty());
  contents["{ HOME }"] = "X 1 Real Number 1\r\nD 1 Directory 1\r\n";
  EXPECT_EQ(hp().MoveObjects("HOME\\DX\\"), 1);  // only a like-named neighbour
}

TEST_F(OperationsTest, MoveStopsWhenTheProgramCannotBeSent) {
  server.refuse_uploads = true;
  contents["{ HOME }"] = "A 1 Real Number 1\r\n";
  session().Job.TransferList = {"A"};
  EXPECT_EQ(hp().MoveObjects("HOME\\G\\"), 0);
  const Strings log = server.log();
  EXPECT_EQ(Strings(log.end() - 2, log.end()), (Strings{"C 'cdhp48xx.tmp' PURGE", "upload refused"}));
  EXPECT_TRUE(NoProgramFileLeft(config / "dravik"));
}

TEST_F(OperationsTest, FailedMoveRunPurgesTheLeftOverProgram) {
  replies[hp48::MoveRunCommand()] = "Error: Undefined Name\r\n1: 'B'\r\n";
  contents["{ HOME }"] = "B 1 Real Number 1\r\n";
  session().Job.TransferList = {"B"};
  EXPECT_EQ(hp().MoveObjects("HOME\\G\\"), 0);
  Strings log = server.log();
  ASSERT_GE(log.size(), 5u);
  EXPECT_EQ(Strings(log.end() - 5, log.end()),
            (Strings{"C cdhp48xx.tmp 'cdhp48xx.tmp' PURGE", "C 1 DROPN", "C HOME PATH", "C 1 DROPN",
                     "C 'cdhp48xx.tmp' PURGE"}));
}

TEST_F(OperationsTest, XModemSendRefusesTextFilesOnceAndKeepsSizesAligned) {
  ScratchFolder pc, other;
  const std::vector<uint8_t> object = {'H', 'P', 'H', 'P', '4', '8', '-', 'R'};
  testing::WriteBytes(pc / "T1", {'%', '%', 'H', 'P'});
  testing::WriteBytes(pc / "GAME.LIB", object);
  testing::WriteBytes(pc / "T2", {'o', 'k'});  // text without a header is text all the same
  testing::WriteBytes(pc / "NOTES", object);
  testing::WriteBytes(other / "NOTES", object);
  session().Job.TransferList = {pc / "T1", pc / "GAME.LIB", pc / "T2", pc / "NOTES",
                                other / "NOTES"};
  session().Job.TransferSizes = {4, 8, 2, 8, 8};
  session().Settings.TranslationMode = 1;
  ListingCache cache(session());
  session().CurrentHPPath = "HOME\\";
  // NOTES and NOTES.1 are already on the calculator: the two NOTES come in
  // as NOTES.2 and NOTES.3.
  struct Canned : ListingLink {
    std::string text = "{ HOME } 1\r\nNOTES 5 String 1\r\nNOTES.1 5 String 1\r\n";
    int ChangeDirectory() override { return 1; }
    int GoHome() override { return 1; }
    int ReadDirectory() override { return 1; }
    const std::string& DirectoryListing() const override { return text; }
  } canned;
  cache.ReadListing(canned);

  EXPECT_EQ(hp().PrepareXModemJob(true, &cache), 1);
  server.WaitForLog(5);
  EXPECT_EQ(session().Job.TransferList, (Strings{pc / "GAME.LIB", pc / "NOTES", other / "NOTES"}));
  EXPECT_EQ(session().Job.TransferSizes, (std::vector<uint32_t>{8, 8, 8}));
  EXPECT_EQ(session().Job.Refused,
            (Strings{pc / "T1" + " (not in the calculator's binary form)",
                     pc / "T2" + " (not in the calculator's binary form)"}));
  EXPECT_EQ(Captions(), (Strings{"Attention: Only binary files are transmitted with XModem!"}));
  EXPECT_EQ(server.log(),
            (Strings{"C 'XModem.tmp' PURGE", "upload XModem.tmp", "C 3 TRANSIO",
                     "C \\<<XModem.tmp 'XModem.tmp' PURGE 1 TRANSIO SERVER\\>>", "G F"}));
  EXPECT_EQ(server.uploads().at("XModem.tmp"),
            "%%HP: T(3)A(D)F(.);\\<< IFERR { GAME.LIB NOTES.2 NOTES.3 } XRECV THEN DROP END \\>>");
  EXPECT_TRUE(NoProgramFileLeft(config / "dravik"));
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

TEST_F(OperationsTest, XModemReceiveAsksForTheNamesThatAreThere) {
  session().Job.TransferList = {"A", "NOPE", "B"};
  session().Settings.TranslationMode = 3;
  contents["{ HOME }"] = "A 1 Real Number 1\r\nB 1 Real Number 1\r\n";
  EXPECT_EQ(hp().PrepareXModemJob(false, nullptr), 1);
  server.WaitForLog(7);
  EXPECT_EQ(server.log(), (Strings{"C HOME PATH", "C 1 DROPN", "G D", "C 'XModem.tmp' PURGE",
                                   "upload XModem.tmp",
                                   "C \\<<XModem.tmp 'XModem.tmp' PURGE SERVER\\>>", "G F"}));
  EXPECT_EQ(server.uploads().at("XModem.tmp"),
            "%%HP: T(3)A(D)F(.);\\<< IFERR { A B } XSEND THEN DROP END \\>>");
  EXPECT_EQ(session().Job.Refused, (Strings{"NOPE (not in HOME\\)"}));
}

}  // namespace
}  // namespace dravik
