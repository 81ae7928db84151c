// The calculator operations against the simulated HP48 on a pseudo-terminal:
// what each one does to the calculator's memory and settings.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "recording_window.h"
#include "listing/listing_cache.h"
#include "listing/listing_walk.h"
#include "link/hp48_commands.h"
#include "link/hp48_link.h"
#include "link/hp48_listing_link.h"
#include "scratch_folder.h"
#include "simulated_hp48.h"

namespace dravik {
namespace {

using Strings = std::vector<std::string>;
using testing::RecordingWindow;
using testing::ScratchFolder;

class SimOperationsTest : public ::testing::Test {
 protected:
  void SetUp() override { ::setenv("XDG_CONFIG_HOME", config.path().c_str(), 1); }
  void TearDown() override {
    if (link) link->CloseAll();
    if (sim) sim->Stop();
    ::unsetenv("XDG_CONFIG_HOME");
  }

  // Starts the simulator with a fresh memory prepared by the command line
  // setup, opens the link and runs the connection check.
  void Start(const std::string& setup = "", sim::SimOptions options = {}) {
    sim::Calculator calc;
    // Translation mode 3, so that the setup may hold programs.
    calc.RunCommandLine("3 TRANSIO");
    if (!setup.empty()) {
      ASSERT_EQ(calc.RunCommandLine(setup).rfind("Error", 0), std::string::npos);
    }
    sim = std::make_unique<sim::SimulatedHp48>(std::move(calc), options);
    std::string error;
    ASSERT_TRUE(sim->Start(&error)) << error;
    session.PortDevices[0] = sim->device();
    session.Settings.PortNumber = 1;
    session.MainWindow = &window;
    session.CurrentPCFolder = pc.path();
    link = std::make_unique<CHP48Link>(session);
    link->m_timeout = 5;
    ASSERT_TRUE(link->Open());
    ASSERT_EQ(link->QueryCalculatorState(), 1);
  }

  std::string Calc(const std::string& command) {
    return sim->WithCalculator([&](sim::Calculator& c) { return c.RunCommandLine(command); });
  }
  Strings Names(const std::string& path) {
    return sim->WithCalculator([&](sim::Calculator& c) { return c.VariableNames(path); });
  }
  std::string TypeOf(const std::string& path, const std::string& name) {
    return sim->WithCalculator([&](sim::Calculator& c) { return c.TypeOf(path, name); });
  }
  std::string Where() {
    return sim->WithCalculator([&](sim::Calculator& c) { return c.PathText(); });
  }
  // Names without IOPAR, which every HOME holds.
  Strings UserNames(const std::string& path) {
    Strings n = Names(path);
    n.erase(std::remove(n.begin(), n.end(), "IOPAR"), n.end());
    return n;
  }
  Strings Messages() {
    Strings out;
    for (const auto& m : window.messages()) out.push_back(m.caption + ": " + m.text);
    return out;
  }
  // Waits (bounded) until the condition holds.
  template <typename Condition>
  bool Eventually(Condition condition, int seconds = 20) {
    for (int i = 0; i < seconds * 20; ++i) {
      if (condition()) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return condition();
  }

  ScratchFolder config, pc;
  std::unique_ptr<sim::SimulatedHp48> sim;
  Session session;
  RecordingWindow window;
  std::unique_ptr<CHP48Link> link;
};

TEST_F(SimOperationsTest, ConnectionCheckReadsTheTwoExampleStates) {
  Start("-35 SF 1 CKSM 3 TRANSIO");
  EXPECT_EQ(session.CurrentHPPath, "HOME\\");
  EXPECT_EQ(session.HPWorkingPath, "HOME\\");
  EXPECT_EQ(session.Settings.ChecksumType, 1);
  EXPECT_EQ(session.Settings.TranslationMode, 3);
  EXPECT_TRUE(session.BinaryMode);
  EXPECT_EQ(Calc("DEPTH"), "1:                     0\r\n");  // the four results were dropped

  Calc("DROP 'A' CRDIR A 'B' CRDIR B -35 CF 2 CKSM 1 TRANSIO");
  ASSERT_EQ(link->QueryCalculatorState(), 1);
  EXPECT_EQ(session.CurrentHPPath, "HOME\\A\\B\\");
  EXPECT_EQ(session.Settings.ChecksumType, 2);
  EXPECT_EQ(session.Settings.TranslationMode, 1);
  EXPECT_FALSE(session.BinaryMode);
}

TEST_F(SimOperationsTest, CommandDataFieldsAreDecodedAsTheCalculatorDoes) {
  Start();
  // Data fields as sent to a real calculator, and what it answered.
  auto run = [&](const std::string& field) {
    link->WaitQuietFor(CHP48Link::kSettleMs);
    link->m_seq = 0;
    link->SendPacket('C', 0, field);
    EXPECT_EQ(link->CollectHostReply(), 1) << field;
    return link->HostReply;
  };
  EXPECT_EQ(run("CLEAR ## 5d"), "1:                  # 5d\r\n");
  EXPECT_EQ(run("CLEAR \"a#Mb\" SIZE"), "1:                     3\r\n");
  Calc("CLEAR");
  EXPECT_EQ(run("CLEAR #### 5d"), "Error: Invalid Syntax\r\n1:         \"CLEAR ## 5d\"\r\n");
  // An unprefixed "# " is a prefixed blank.
  EXPECT_EQ(run("CLEAR # 5d 'BI' STO"), "1:                     5\r\n");
  EXPECT_EQ(TypeOf("HOME\\", "BI"), "Global Name");
}

TEST_F(SimOperationsTest, TransferSettingsReachTheCalculator) {
  Start();
  session.BinaryMode = true;
  ASSERT_EQ(link->SetTransferFormat(), 1);
  EXPECT_TRUE(sim->WithCalculator([](sim::Calculator& c) { return c.BinaryTransfers(); }));
  session.BinaryMode = false;
  ASSERT_EQ(link->SetTransferFormat(), 1);
  EXPECT_FALSE(sim->WithCalculator([](sim::Calculator& c) { return c.BinaryTransfers(); }));

  session.Settings.TranslationMode = 2;
  session.Settings.ChecksumType = 1;
  ASSERT_EQ(link->SetCalculatorIO(), 1);
  EXPECT_EQ(sim->WithCalculator([](sim::Calculator& c) { return c.TranslationMode(); }), 2);
  EXPECT_EQ(sim->WithCalculator([](sim::Calculator& c) { return c.ChecksumType(); }), 1);
  ASSERT_EQ(link->QueryCalculatorState(), 1);  // the link still talks after the switch
  EXPECT_EQ(session.Settings.ChecksumType, 1);
}

TEST_F(SimOperationsTest, AFileThatIsNeitherTextNorAnObjectGoesAsAStringWhenTheUserSaysSo) {
  Start();
  ASSERT_FALSE(session.BinaryMode);
  testing::WriteBytes(pc.path() + "/NOTE", {'"', 'h', 'i', '"', '\r', '\n'});
  const std::vector<uint8_t> jpeg = {0xFF, 0xD8, 0xFF, 0xE0, 0x00, 0x10, 'J', 'F', 'I', 'F', 0x00};
  testing::WriteBytes(pc.path() + "/PIC", jpeg);
  const std::string note = pc.path() + "/NOTE", pic = pc.path() + "/PIC";
  // Declined: the text goes, the picture is left out, and nothing failed.
  window.answer = MessageAnswer::No;
  ASSERT_EQ(link->SendFiles({pic, note}), 1);
  EXPECT_EQ(Messages(), Strings({"Send: PIC is neither text nor a calculator binary object: in "
                                 "ASCII mode the HP48 reads a file as text and would answer "
                                 "\"Invalid Syntax\".\n\nSend it in binary mode, where the HP48 "
                                 "stores it as a String?"}));
  EXPECT_EQ(link->StoredNames, Strings({"", "NOTE"}));
  EXPECT_EQ(link->SkippedItems, Strings({pic}));
  EXPECT_EQ(UserNames("HOME\\"), Strings({"NOTE"}));
  // Accepted: stored as a String, and the user's ASCII mode is back.
  window.answer = MessageAnswer::Yes;
  ASSERT_EQ(link->SendFiles({pic}), 1);
  EXPECT_EQ(link->StoredNames, Strings({"PIC"}));
  EXPECT_EQ(TypeOf("HOME\\", "PIC"), "String");
  EXPECT_FALSE(sim->WithCalculator([](sim::Calculator& c) { return c.BinaryTransfers(); }));
}

TEST_F(SimOperationsTest, NewDirectoryNameIsNotEvaluated) {
  // NEWD further up is a program; unquoted it would run.
  Start("\\<< 1 'RAN' STO \\>> 'NEWD' STO 'S' CRDIR");
  session.CurrentHPPath = "HOME\\S\\";
  ASSERT_EQ(link->MakeHPDirectory("NEWD"), 1);
  EXPECT_EQ(TypeOf("HOME\\S\\", "NEWD"), "Directory");
  EXPECT_EQ(TypeOf("HOME\\", "RAN"), "");
  EXPECT_EQ(session.HPWorkingPath, "HOME\\S\\");
}

TEST_F(SimOperationsTest, PurgeObjectsAndANonEmptyDirectory) {
  Start("1 'A' STO 2 'B' STO 3 'C' STO 'D' CRDIR D 4 'X' STO 'E' CRDIR HOME");
  ASSERT_EQ(link->PurgeObjects("{A B }"), 1);
  EXPECT_EQ(UserNames("HOME\\"), (Strings{"D", "C"}));
  // PURGE refuses a non-empty directory: the calculator's error is shown.
  EXPECT_EQ(link->PurgeObjects("{D }"), 0);
  EXPECT_EQ(Messages(), (Strings{"Error Message from HP48: Error: Non-Empty Directory"}));
  ASSERT_EQ(link->PurgeDirectory("'D'"), 1);
  EXPECT_EQ(UserNames("HOME\\"), (Strings{"C"}));
}

TEST_F(SimOperationsTest, PurgeIsRefusedWhenTheDirectoryIsGone) {
  Start("1 'A' STO 'GONE' CRDIR GONE 2 'A' STO HOME");
  session.CurrentHPPath = "HOME\\GONE\\";
  Calc("'GONE' PGDIR");  // deleted on the calculator meanwhile
  EXPECT_EQ(link->PurgeObjects("{A }"), 0);
  EXPECT_EQ(UserNames("HOME\\"), (Strings{"A"}));  // HOME's A survives
  EXPECT_EQ(session.HPWorkingPath, "HOME\\");
}

TEST_F(SimOperationsTest, MoveObjectsAndADirectoryWithItsContents) {
  Start("'G' CRDIR 'W' CRDIR W 1 'A' STO \"s\" 'B' STO 'D' CRDIR D 5 'X' STO HOME W");
  session.CurrentHPPath = session.HPWorkingPath = "HOME\\W\\";
  session.Job.TransferList = {"A", "B", "D"};
  ASSERT_EQ(link->MoveObjects("HOME\\G\\"), 1) << ::testing::PrintToString(Messages());
  EXPECT_TRUE(UserNames("HOME\\W\\").empty());
  Strings moved = UserNames("HOME\\G\\");
  std::sort(moved.begin(), moved.end());
  EXPECT_EQ(moved, (Strings{"A", "B", "D"}));
  EXPECT_EQ(TypeOf("HOME\\G\\", "B"), "String");
  EXPECT_EQ(UserNames("HOME\\G\\D\\"), (Strings{"X"}));
  EXPECT_EQ(Where(), "{ HOME W }");
  EXPECT_EQ(session.CurrentHPPath, "HOME\\W\\");
  for (const auto& entry : std::filesystem::directory_iterator(config / "dravik"))
    EXPECT_EQ(entry.path().filename().string().rfind("upload.", 0), std::string::npos)
        << entry.path();  // no program file left
}

TEST_F(SimOperationsTest, MoveAsksBeforeReplacingAndIgnoresAStaleProgram) {
  // G already holds a directory D; W holds a left-over move program that
  // would move the wrong objects.
  Start("'G' CRDIR G 'D' CRDIR HOME 'W' CRDIR W 1 'A' STO 'D' CRDIR D 5 'X' STO UPDIR "
        "\\<< { A } { HOME } { HOME W } \\-> L D P \\<< \\>> \\>> 'cdhp48xx.tmp' STO 1 TRANSIO");
  session.CurrentHPPath = session.HPWorkingPath = "HOME\\W\\";
  session.Job.TransferList = {"A", "D"};
  window.answer = MessageAnswer::No;
  EXPECT_EQ(link->MoveObjects("HOME\\G\\"), 0);
  EXPECT_EQ(Messages(), (Strings{"Move: HOME\\G\\ already holds D.\nReplace it with the moved object?"}));
  EXPECT_EQ(UserNames("HOME\\W\\"), (Strings{"cdhp48xx.tmp", "D", "A"}));  // nothing moved
  EXPECT_TRUE(UserNames("HOME\\G\\D\\").empty());

  window.answer = MessageAnswer::Yes;
  EXPECT_EQ(link->MoveObjects("HOME\\G\\"), 1) << ::testing::PrintToString(Messages());
  EXPECT_TRUE(UserNames("HOME\\W\\").empty());
  EXPECT_EQ(UserNames("HOME\\G\\D\\"), (Strings{"X"}));  // W's D replaced G's
  EXPECT_EQ(TypeOf("HOME\\G\\", "A"), "Real Number");
  EXPECT_EQ(TypeOf("HOME\\", "A"), "");
  EXPECT_EQ(Calc("DEPTH"), "1:                     0\r\n");
}

TEST_F(SimOperationsTest, MoveIntoItselfIsRefusedBeforeAnythingHappens) {
  Start("'D' CRDIR D 'E' CRDIR E 1 'X' STO HOME");
  session.Job.TransferList = {"D"};
  EXPECT_EQ(link->MoveObjects("HOME\\D\\E\\"), 0);
  EXPECT_EQ(UserNames("HOME\\D\\E\\"), (Strings{"X"}));
  EXPECT_EQ(UserNames("HOME\\"), (Strings{"D"}));
}

TEST_F(SimOperationsTest, ListingOfAVanishedDirectoryIsNotCached) {
  Start("1 'A' STO 'D' CRDIR");
  ListingCache cache(session);
  HP48ListingLink listing(*link);
  session.CurrentHPPath = "HOME\\D\\";
  Calc("'D' PGDIR");
  EXPECT_EQ(cache.ReadListing(listing), 0);
  EXPECT_EQ(cache.FindEntry("HOME\\D\\"), -1);
  EXPECT_EQ(session.HPWorkingPath, "HOME\\");
}

TEST_F(SimOperationsTest, ReadAllWalksHomeABD) {
  // HOME lists A (with B inside) before D: the newest variable comes first.
  Start("1 'R' STO 'D' CRDIR 'A' CRDIR A 'B' CRDIR HOME");
  ListingCache cache(session);
  HP48ListingLink listing(*link);
  session.CurrentHPPath = "HOME\\D\\";
  ASSERT_EQ(ReadAllListings(cache, listing, session), 1);
  Strings read;  // the cache keeps the newest first
  for (int i = 0; const ListingEntry* e = cache.EntryAt(i); ++i) read.insert(read.begin(), e->Path);
  EXPECT_EQ(read, (Strings{"HOME\\", "HOME\\A\\", "HOME\\A\\B\\", "HOME\\D\\"}));
  EXPECT_EQ(session.CurrentHPPath, "HOME\\");
  EXPECT_EQ(Where(), "{ HOME }");
  session.CurrentHPPath = "HOME\\";
  EXPECT_EQ(cache.CountDirectories(), 2);
  EXPECT_EQ(cache.NameAt(0), "A");
  EXPECT_EQ(cache.NameAt(2), "R");
}

// Transfers stopped midway: the simulated calculator ends them as the real
// one does (an error packet leaves it deaf for seconds, a discarded upload
// does not), and the next command must be answered the first time it goes.
TEST_F(SimOperationsTest, TheNextCommandIsAnsweredAfterAStoppedUploadOrDownload) {
  Start("\"\" 1 400 START \"0123456789\" + NEXT 'BIG' STO");
  auto stopped_at = [&](int code, long at_least, auto transfer) {
    testing::ProgressHook stop([&](int posted, long value) {
      if (posted == code && value >= at_least) link->Cancel();
    });
    session.ProgressWindow = &stop;
    const int result = transfer();
    session.ProgressWindow = nullptr;
    link->ClearFlags();
    return result;
  };
  // An upload stopped after 1000 of its 30025 bytes: nothing is kept.
  const std::string upload = pc / "UP";
  const std::string text = "%%HP: T(3)A(D)F(.);\r\n\"" + std::string(30000, 'q') + "\"\r\n";
  testing::WriteBytes(upload, std::vector<uint8_t>(text.begin(), text.end()));
  EXPECT_EQ(stopped_at(kProgressBytes, 1000, [&] { return link->SendFiles({upload}); }), 0);
  ASSERT_EQ(link->ReadDirectory(), 1);
  EXPECT_NE(link->DirectoryListing.find("\r\nBIG "), std::string::npos);
  EXPECT_EQ(link->DirectoryListing.find("\r\nUP "), std::string::npos);

  // A download stopped after ten packets: the partial file goes.
  std::filesystem::remove(upload);
  EXPECT_EQ(stopped_at(kProgressPackets, 10, [&] { return link->ReceiveFiles({"BIG"}); }), 0);
  EXPECT_TRUE(std::filesystem::is_empty(pc.path()));
  ASSERT_EQ(link->RunHostCommand("1 2 +"), 1);
  EXPECT_EQ(link->HostReply, "1:                     3\r\n");

  // No command went out while the calculator could not hear it.
  EXPECT_EQ(sim->RequestsLostGoingIdle(), 0u);
  EXPECT_EQ(Messages(), Strings{});
}

TEST_F(SimOperationsTest, ArchiveIsReceivedAndRestored) {
  sim::SimOptions options;
  options.auto_eval = true;
  options.auto_eval_delay = std::chrono::milliseconds(300);
  Start("1 TRANSIO 7 'KEEP' STO", options);
  ASSERT_EQ(link->StartArchive("MAR99"), 1);
  link->ClearFlags();
  ASSERT_EQ(link->ReceiveFiles({"MAR99"}), 1);
  link->m_noInitPacket = 0;
  const auto backup = testing::ReadBytes(pc / "MAR99");
  ASSERT_GT(backup.size(), 8u);
  EXPECT_EQ(std::string(backup.begin(), backup.begin() + 7), "HPHP48-");
  // The program restored the user's translation mode and the server.
  ASSERT_TRUE(Eventually([&] { return sim->InServer(); }));
  ASSERT_EQ(link->QueryCalculatorState(), 1);
  EXPECT_EQ(session.Settings.TranslationMode, 1);

  // A variable that holds no backup: the calculator's answer is read and
  // is a failure; what RESTORE left on the stack goes.
  Calc("\"not a backup\" 'NB' STO");
  EXPECT_EQ(link->RestoreBackup("NB"), 0);
  EXPECT_EQ(Messages(), (Strings{"Error Message from HP48: Error: Bad Argument Type"}));
  EXPECT_EQ(Calc("DEPTH"), "1:                     0\r\n");

  Calc("DROP 'NB' PURGE 'KEEP' PURGE 8 'LATER' STO");
  ASSERT_EQ(link->SendFiles({pc / "MAR99"}), 1);
  ASSERT_EQ(link->RestoreBackup("MAR99"), 1);
  EXPECT_TRUE(Eventually([&] {
    // The backup holds the user's translation mode, not the 3 the archive
    // command needed.
    if (sim->WithCalculator([](sim::Calculator& c) { return c.TranslationMode(); }) != 1)
      return false;
    Strings n = UserNames("HOME\\");
    return std::find(n.begin(), n.end(), "KEEP") != n.end() &&
           std::find(n.begin(), n.end(), "LATER") == n.end();
  }));
}

TEST_F(SimOperationsTest, XModemJobAlwaysEndsBackInTheServer) {
  sim::SimOptions options;
  options.xmodem_time_scale = 0.01;
  // A stale XModem.tmp from a failed job is on the calculator.
  Start("1 'A' STO \\<< 'WRONG' \\>> 'XModem.tmp' STO 1 TRANSIO", options);
  session.Job.TransferList = {"A"};
  ASSERT_EQ(link->PrepareXModemJob(false, nullptr), 1);
  ASSERT_TRUE(Eventually([&] { return sim->WaitingForEval(); }));
  EXPECT_EQ(UserNames("HOME\\"), (Strings{"XModem.tmp", "A"}));
  // Nobody receives: XSEND fails, and the program still purges itself,
  // restores the translation mode and restarts the server.
  sim->PressEval();
  ASSERT_TRUE(Eventually([&] { return sim->InServer(); }, 60));
  ASSERT_EQ(link->QueryCalculatorState(), 1);
  EXPECT_EQ(session.Settings.TranslationMode, 1);
  EXPECT_EQ(UserNames("HOME\\"), (Strings{"A"}));
}

}  // namespace
}  // namespace dravik
