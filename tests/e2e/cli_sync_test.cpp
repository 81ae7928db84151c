// dravik-cli compare, sync and backup against the simulated HP48 with its
// demo memory: what they report, what they move (counted in the trace) and
// what they leave alone.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "child_program.h"
#include "scratch_folder.h"
#include "simulated_hp48.h"

namespace dravik {
namespace {

using testing::ReadBytes;
using testing::ScratchFolder;
using testing::WriteBytes;
namespace fs = std::filesystem;

class CliSyncTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ::setenv("XDG_CONFIG_HOME", config.path().c_str(), 1);
    sim::Calculator calc = sim::Calculator::Demo();
    calc.RunCommandLine("3 TRANSIO");
    sim::SimOptions options;
    options.kermit.idle_nak_seconds = 1;
    hp = std::make_unique<sim::SimulatedHp48>(std::move(calc), options);
    std::string error;
    ASSERT_TRUE(hp->Start(&error)) << error;
  }
  void TearDown() override {
    hp->Stop();
    ::unsetenv("XDG_CONFIG_HOME");
  }

  // Runs dravik-cli on the simulator with a fresh trace; output gets its
  // standard output and error.
  int Cli(const std::vector<std::string>& args) {
    fs::remove(trace_path);
    output.clear();
    const char* bin = std::getenv("DRAVIK_BINARY_DIR");
    std::vector<std::string> argv = {std::string(bin ? bin : ".") + "/dravik-cli", "-q",
                                     "--device", hp->device(), "--trace", trace_path};
    argv.insert(argv.end(), args.begin(), args.end());
    return testing::RunProgram(argv, scratch.path(), 120000, &output);
  }
  // Kermit packets of the last run that begin a fetch (R) or a file sent (F).
  int Packets(char type) {
    const std::vector<uint8_t> bytes = ReadBytes(trace_path);
    std::istringstream lines(std::string(bytes.begin(), bytes.end()));
    int n = 0;
    for (std::string line; std::getline(lines, line);)
      n += line.find(std::string("kermit > ") + type + " seq") != std::string::npos;
    return n;
  }
  // The lines of the last compare that are not "same", as "state name".
  std::vector<std::string> NotSame() {
    std::istringstream lines(output);
    std::vector<std::string> out;
    for (std::string line; std::getline(lines, line);) {
      std::istringstream words(line);
      std::string state, name;
      words >> state >> name;
      if (state == "differs" || state == "only-calc" || state == "only-pc" || state == "unknown")
        out.push_back(state + " " + name);
    }
    std::sort(out.begin(), out.end());
    return out;
  }
  // The line of the last compare that names the object.
  std::string LineOf(const std::string& name) {
    std::istringstream lines(output);
    for (std::string line; std::getline(lines, line);) {
      std::istringstream words(line);
      std::string state, word;
      if (words >> state >> word && word == name) return line;
    }
    return {};
  }
  void Calculator(const std::string& command) {
    const std::string reply =
        hp->WithCalculator([&](sim::Calculator& c) { return c.RunCommandLine(command); });
    ASSERT_EQ(reply.rfind("Error", 0), std::string::npos) << reply;
  }
  std::string TypeOf(const std::string& dir, const std::string& name) {
    return hp->WithCalculator([&](sim::Calculator& c) { return c.TypeOf(dir, name); });
  }
  std::vector<std::string> Names(const std::string& dir) {
    return hp->WithCalculator([&](sim::Calculator& c) { return c.VariableNames(dir); });
  }
  void Copy(const std::string& from, const std::string& to) {
    WriteBytes(pc / to, ReadBytes(pc / from));
  }

  ScratchFolder config, scratch, pc;
  std::string trace_path = scratch / "trace";
  std::unique_ptr<sim::SimulatedHp48> hp;
  std::string output;
};

TEST_F(CliSyncTest, BackupThenCompareThenSyncToPcMovesOnlyWhatDiffers) {
  ASSERT_EQ(Cli({"backup", pc.path()}), 0) << output;
  const int first_fetches = Packets('R');
  EXPECT_GT(first_fetches, 15);
  EXPECT_TRUE(fs::is_regular_file(pc / "GAMES/CHESS/BOARD"));
  EXPECT_TRUE(fs::is_regular_file(pc / ".dravik-sync"));
  // The backup leaves the calculator in HOME, where it was.
  EXPECT_EQ(Cli({"compare", pc.path()}), 0) << output;
  EXPECT_TRUE(NotSame().empty()) << output;
  // The listings are read again; no object comes over.
  EXPECT_EQ(Cli({"backup", pc.path()}), 0) << output;
  EXPECT_EQ(Packets('R'), 0);

  // One object changed and one added on each side, one new directory, and
  // one PC file edited.
  Calculator("HOME 7 'PI2' STO \"new\" 'NEWC' STO 'SUBD' CRDIR");
  Copy("GREET", "NEWP");
  Copy("PI2", "Z");
  const std::vector<uint8_t> edited = ReadBytes(pc / "Z");
  EXPECT_EQ(Cli({"--cd", "HOME", "compare", pc.path()}), 1) << output;
  EXPECT_EQ(NotSame(), (std::vector<std::string>{"differs PI2", "differs Z", "only-calc NEWC",
                                                 "only-calc SUBD", "only-pc NEWP"}))
      << output;

  // The edited PC file is kept; what changed on the calculator comes over.
  EXPECT_EQ(Cli({"--cd", "HOME", "sync", "--to-pc", pc.path()}), 1) << output;
  EXPECT_EQ(Packets('R'), 2) << output;
  EXPECT_NE(output.find("keep Z: changed on the PC since the last sync"), std::string::npos)
      << output;
  EXPECT_EQ(ReadBytes(pc / "Z"), edited);
  EXPECT_TRUE(fs::is_directory(pc / "SUBD"));
  EXPECT_TRUE(fs::exists(pc / "NEWP"));

  // --replace overwrites it, --delete removes the file only the PC has.
  EXPECT_EQ(Cli({"--cd", "HOME", "sync", "--to-pc", "--replace", "--delete", pc.path()}), 0)
      << output;
  EXPECT_EQ(Packets('R'), 1) << output;
  EXPECT_FALSE(fs::exists(pc / "NEWP"));
  EXPECT_EQ(Cli({"--cd", "HOME", "compare", pc.path()}), 0) << output;
  EXPECT_TRUE(NotSame().empty()) << output;
}

TEST_F(CliSyncTest, ADirectoryLineSaysWhatItHolds) {
  ASSERT_EQ(Cli({"backup", pc.path()}), 0) << output;
  // An object changed in WORK; in GAMES\CHESS a new one beside a text file
  // that nothing compared.
  Calculator("HOME WORK 9 'RATE' STO HOME GAMES CHESS 1 'NOTE' STO HOME");
  const std::string text = "%%HP: T(3)A(D)F(.);\r\n1\r\n";
  WriteBytes(pc / "GAMES/CHESS/NOTE", std::vector<uint8_t>(text.begin(), text.end()));
  EXPECT_EQ(Cli({"--cd", "HOME", "compare", pc.path()}), 1) << output;
  EXPECT_EQ(LineOf("WORK"),
            "differs   WORK               Directory          127  (1 object inside not the same)");
  EXPECT_EQ(LineOf("GAMES"),
            "unknown   GAMES              Directory        202.5  (1 object inside not compared)");
}

TEST_F(CliSyncTest, TextFilesAreComparedOnlyWhenAskedThroughTheCalculator) {
  const std::string rate = "%%HP: T(3)A(D)F(.);\r\n.075\r\n";
  const std::string notes = "%%HP: T(3)A(D)F(.);\r\n\"other\"\r\n";
  WriteBytes(pc / "RATE", std::vector<uint8_t>(rate.begin(), rate.end()));
  WriteBytes(pc / "NOTES", std::vector<uint8_t>(notes.begin(), notes.end()));
  EXPECT_EQ(Cli({"--cd", "HOME\\WORK", "compare", pc.path()}), 1) << output;
  EXPECT_EQ(Packets('F'), 0);
  EXPECT_NE(output.find("unknown   RATE"), std::string::npos) << output;
  EXPECT_EQ(Cli({"--cd", "HOME\\WORK", "compare", "--fetch-unknown", pc.path()}), 1) << output;
  EXPECT_NE(output.find("same      RATE"), std::string::npos) << output;
  EXPECT_NE(output.find("differs   NOTES"), std::string::npos) << output;
  const std::vector<std::string> names = Names("HOME\\WORK\\");
  EXPECT_EQ(std::count(names.begin(), names.end(), "DRVKCMP"), 0);
}

TEST_F(CliSyncTest, SyncToCalculatorSendsMakesReplacesAndDeletesAsAsked) {
  ASSERT_EQ(Cli({"--cd", "HOME\\WORK", "sync", "--to-pc", pc.path()}), 0) << output;
  fs::create_directory(pc / "NEWDIR");
  Copy("RATE", "NEWDIR/COPY");
  Copy("RATE", "NOTES");  // edited on the PC since the sync
  fs::remove(pc / "AREA");

  EXPECT_EQ(Cli({"--cd", "HOME\\WORK", "sync", "--to-calc", "--delete", "--dry-run", pc.path()}), 0)
      << output;
  EXPECT_NE(output.find("would make directory HOME\\WORK\\NEWDIR"), std::string::npos) << output;
  EXPECT_NE(output.find("would delete HOME\\WORK\\AREA on the calculator"), std::string::npos);
  EXPECT_EQ(Packets('F'), 0);
  EXPECT_EQ(TypeOf("HOME\\WORK\\", "NOTES"), "String");

  EXPECT_EQ(Cli({"--cd", "HOME\\WORK", "sync", "--to-calc", "--delete", pc.path()}), 0) << output;
  EXPECT_EQ(TypeOf("HOME\\WORK\\NEWDIR\\", "COPY"), "Real Number");
  EXPECT_EQ(TypeOf("HOME\\WORK\\", "NOTES"), "Real Number");
  const std::vector<std::string> names = Names("HOME\\WORK\\");
  EXPECT_EQ(std::count(names.begin(), names.end(), "AREA"), 0);
  EXPECT_EQ(std::count(names.begin(), names.end(), "NOTES.1"), 0);
  EXPECT_EQ(Cli({"--cd", "HOME\\WORK", "compare", pc.path()}), 0) << output;

  // An object changed on the calculator since is not overwritten.
  Calculator("HOME WORK 9 'RATE' STO");
  Copy("NEWDIR/COPY", "RATE");
  EXPECT_EQ(Cli({"--cd", "HOME\\WORK", "sync", "--to-calc", pc.path()}), 1) << output;
  EXPECT_NE(output.find("keep RATE: changed on the calculator since the last sync"),
            std::string::npos)
      << output;
}

TEST_F(CliSyncTest, HostileNamesStayInsideTheFolderAndReadBack) {
  const std::vector<std::string> hostile = {"../EVIL", "a", "A", "CON", ".HIDE", "x/../../y"};
  Calculator("-35 SF");
  hp->WithCalculator([&](sim::Calculator& c) {
    const sim::RecallResult real = c.RecallForTransfer("PI2");
    for (const std::string& name : hostile) c.StoreUpload(name, real.file);
    return 0;
  });
  ASSERT_EQ(Cli({"backup", pc.path()}), 0) << output;
  const fs::path outside = fs::path(pc.path()).parent_path().parent_path();
  EXPECT_FALSE(fs::exists(outside / "EVIL"));
  EXPECT_FALSE(fs::exists(outside / "y"));
  const std::vector<std::string> top = pc.Names();
  for (const char* expected : {"%2E.%2FEVIL", "%61", "A", "%43ON", "%2EHIDE", "x%2F..%2F..%2Fy"})
    EXPECT_EQ(std::count(top.begin(), top.end(), expected), 1) << expected;
  EXPECT_EQ(Cli({"--cd", "HOME", "compare", pc.path()}), 0) << output;
}

}  // namespace
}  // namespace dravik
