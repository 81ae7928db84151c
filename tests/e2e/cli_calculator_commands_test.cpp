// dravik-cli's calculator commands, run as the program itself against the
// simulated HP48.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <future>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "settings/settings_file.h"
#include "child_program.h"
#include "scratch_folder.h"
#include "simulated_hp48.h"

namespace dravik {
namespace {

using Strings = std::vector<std::string>;
using testing::ScratchFolder;

struct CliRun {
  int status = -1;
  std::string out;  // stdout
  std::string err;  // stderr
};

class CliCalculatorTest : public ::testing::Test {
 protected:
  void SetUp() override { ::setenv("XDG_CONFIG_HOME", config.path().c_str(), 1); }
  void TearDown() override {
    if (sim) sim->Stop();
    ::unsetenv("LC_ALL");
    ::unsetenv("XDG_CONFIG_HOME");
    ::unsetenv("DRAVIK_COM3");
  }

  void Start(const std::string& setup = "", sim::SimOptions options = {}) {
    sim::Calculator calc;
    calc.RunCommandLine("3 TRANSIO");
    if (!setup.empty()) {
      ASSERT_EQ(calc.RunCommandLine(setup).rfind("Error", 0), std::string::npos);
    }
    // The real calculator's habits are on (its S repeated, idle NAKs at
    // irregular times, input lost while it goes back to idle); NAKs come
    // often enough to meet the commands.
    options.kermit.idle_nak_seconds = 1;
    sim = std::make_unique<sim::SimulatedHp48>(std::move(calc), options);
    std::string error;
    ASSERT_TRUE(sim->Start(&error)) << error;
  }

  // Runs dravik-cli on the simulator's device (unless the arguments name
  // no device themselves) with received files going to pc.
  CliRun Cli(const std::string& arguments, bool with_device = true) {
    const char* bin = std::getenv("DRAVIK_BINARY_DIR");
    std::string command = std::string("'") + (bin ? bin : ".") + "/dravik-cli' -q -C '" +
                          pc.path() + "' ";
    if (with_device) command += "--device '" + sim->device() + "' ";
    command += arguments + " 2>'" + (scratch / "stderr") + "'";
    CliRun run;
    FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe) return run;
    char buffer[256];
    while (size_t n = std::fread(buffer, 1, sizeof buffer, pipe)) run.out.append(buffer, n);
    const int status = ::pclose(pipe);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    auto err = testing::ReadBytes(scratch / "stderr");
    run.err.assign(err.begin(), err.end());
    return run;
  }

  // Waits (bounded) until the condition holds.
  template <typename Condition>
  bool Eventually(Condition condition, int ms = 20000) {
    for (int i = 0; i < ms / 25 && !condition(); ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(25));
    return condition();
  }

  Strings UserNames(const std::string& path) {
    Strings n = sim->WithCalculator([&](sim::Calculator& c) { return c.VariableNames(path); });
    n.erase(std::remove(n.begin(), n.end(), "IOPAR"), n.end());
    return n;
  }
  std::string TypeOf(const std::string& path, const std::string& name) {
    return sim->WithCalculator([&](sim::Calculator& c) { return c.TypeOf(path, name); });
  }

  ScratchFolder config, pc, scratch;
  std::unique_ptr<sim::SimulatedHp48> sim;
};

TEST_F(CliCalculatorTest, StateCdAndLs) {
  Start("-35 SF 2 CKSM 'A' CRDIR A 'B' CRDIR \"hi\" 'S' STO 1.5 'R' STO HOME");
  CliRun state = Cli("state");
  EXPECT_EQ(state.status, 0) << state.err;
  EXPECT_EQ(state.out, "path: HOME\\\nchecksum: 2\ntranslation: 3\nbinary: 1\nmodel: HP48GX\n");

  CliRun cd = Cli("cd HOME\\\\A\\\\");
  EXPECT_EQ(cd.status, 0) << cd.err;
  EXPECT_EQ(cd.out, "HOME\\A\\\n");

  // The calculator stays in A between runs; ls lists directories first.
  CliRun ls = Cli("ls");
  EXPECT_EQ(ls.status, 0) << ls.err;
  EXPECT_EQ(ls.out,
            "B                        12  Directory\n"
            "R                        16  Real\n"
            "S                      12.5  String\n");

  CliRun missing = Cli("--cd HOME/NOSUCH ls");
  EXPECT_EQ(missing.status, 1);
  EXPECT_NE(missing.err.find("HOME\\NOSUCH\\ cannot be entered: NOSUCH in HOME\\ is not a "
                             "directory."),
            std::string::npos)
      << missing.err;
}

TEST_F(CliCalculatorTest, HostSendsTheTextAsTypedAndPrintsTheReplyAsText) {
  Start("\"text\" 'S' STO");
  // "#" and line breaks reach the calculator as typed.
  CliRun binary = Cli("host \"# 5d 'BI' STO\"");
  EXPECT_EQ(binary.status, 0) << binary.err;
  EXPECT_EQ(TypeOf("HOME\\", "BI"), "Binary Integer");
  CliRun size = Cli("host 'CLEAR \"a\nb\" SIZE'");
  EXPECT_EQ(size.out, "1:                     3\n");
  // A program read from a file, line breaks and all.
  const std::string program = "\\<< 1\n2 +\n\\>>\n'P' STO\n";
  testing::WriteBytes(scratch / "prog.txt", std::vector<uint8_t>(program.begin(), program.end()));
  CliRun file = Cli("host --file '" + scratch / "prog.txt" + "'");
  EXPECT_EQ(file.status, 0) << file.err;
  EXPECT_EQ(TypeOf("HOME\\", "P"), "Program");
  // On a UTF-8 terminal « and » are themselves (translation mode 1 sends
  // them as they are); listings end lines with LF.
  EXPECT_EQ(Cli("host '1 TRANSIO'").status, 0);
  ::setenv("LC_ALL", "C.UTF-8", 1);
  EXPECT_EQ(Cli("host \"CLEAR 'P' RCL\"").out, "1:             « 1 2 + »\n");
  CliRun dir = Cli("dir");
  EXPECT_EQ(dir.out.find('\r'), std::string::npos);
  EXPECT_EQ(dir.out.rfind("{ HOME } ", 0), 0u) << dir.out;
  // Too long once encoded: refused before anything is sent.
  CliRun too_long = Cli("host '" + std::string(46, '#') + "'");
  EXPECT_EQ(too_long.status, 1);
  EXPECT_NE(too_long.err.find("The command is too long for one packet (92 characters encoded, "
                              "at most 91)"),
            std::string::npos)
      << too_long.err;
  // rmdir reads the listing first: S is no directory.
  CliRun rmdir = Cli("rmdir S");
  EXPECT_EQ(rmdir.status, 1);
  EXPECT_EQ(rmdir.err, "dravik-cli: S in HOME\\ is no directory but a String; rm deletes it\n");
}

TEST_F(CliCalculatorTest, CdAppliesToSendGetDirAndHost) {
  Start("-35 SF 'G' CRDIR G 1.5 'R' STO HOME");
  CliRun get = Cli("--cd HOME/G get R");
  ASSERT_EQ(get.status, 0) << get.err;
  ASSERT_EQ(::rename((pc / "R").c_str(), (pc / "R2").c_str()), 0);
  // Checked against the listing of G, where it went.
  CliRun send = Cli("--cd HOME/G send '" + pc / "R2" + "'");
  EXPECT_EQ(send.status, 0) << send.err;
  EXPECT_EQ(TypeOf("HOME\\G\\", "R2"), "Real Number");
  EXPECT_EQ(TypeOf("HOME\\", "R2"), "");
  Cli("cd HOME");
  CliRun dir = Cli("--cd HOME/G dir");
  EXPECT_EQ(dir.out.rfind("{ HOME G } ", 0), 0u) << dir.out;
  Cli("cd HOME");
  EXPECT_NE(Cli("--cd HOME/G host PATH").out.find("{ HOME G }"), std::string::npos);
  CliRun missing = Cli("--cd HOME/NOSUCH send '" + pc / "R2" + "'");
  EXPECT_EQ(missing.status, 1);
  EXPECT_NE(missing.err.find("HOME\\NOSUCH\\ cannot be entered: NOSUCH in HOME\\ is not"),
            std::string::npos)
      << missing.err;
}

// The calculator's characters on the console: UTF-8 on a UTF-8 terminal,
// else the calculator's backslash spellings; each form is read back under
// any locale.
struct LocaleCase {
  const char* locale;
  const char* alpha;  // how it prints α
  size_t columns;     // the columns that takes
};

class CliLocaleTest : public CliCalculatorTest, public ::testing::WithParamInterface<LocaleCase> {};

TEST_P(CliLocaleTest, CalculatorCharactersArePrintedAndReadBackInTheTerminalsForm) {
  Start();
  ::setenv("LC_ALL", GetParam().locale, 1);
  const std::string name = GetParam().alpha + std::string("B");
  const size_t columns = GetParam().columns + 1;
  // Typed in UTF-8 whatever the locale, α is the calculator's one character.
  ASSERT_EQ(Cli("host \"6 'αB' STO\"").status, 0);
  EXPECT_EQ(UserNames("HOME\\"), (Strings{"\x8c" "B"}));
  EXPECT_EQ(Cli("ls").out, name + std::string(16 - columns, ' ') +
                               "         17  Real\n"
                               "IOPAR                  29.5  List\n");
  EXPECT_EQ(Cli("host \"'αB'\"").out, "1:                  '" + name + "'\n");
  EXPECT_EQ(Cli("rm '" + name + "C'").err, "dravik-cli: " + name + "C is not in HOME\\\n");
  // What was printed names the object again.
  const CliRun get = Cli("get '" + name + "'");
  EXPECT_EQ(get.status, 0) << get.err;
  EXPECT_TRUE(std::filesystem::exists(pc / "\x8c" "B"));
  // A folder names it by the escape of its PC name; compare by the name.
  const std::string tree = scratch / "tree";
  EXPECT_EQ(Cli("sync --to-pc '" + tree + "'").out,
            "fetch HOME\\" + name + " into %8CB\n"
            "fetch HOME\\IOPAR into IOPAR\n"
            "fetched 2, sent 0, made 0, deleted 0, kept 0, failed 0\n");
  EXPECT_EQ(Cli("compare '" + tree + "'").out,
            "same      " + name + std::string(7 - columns, ' ') + "Real Number    17\n"
            "same      IOPAR  List         29.5\n");
}

INSTANTIATE_TEST_SUITE_P(Locales, CliLocaleTest,
                         ::testing::Values(LocaleCase{"C.UTF-8", "α", 1},
                                           LocaleCase{"C", "\\Ga", 3}),
                         [](const auto& param) { return param.index == 0 ? "Utf8" : "Ascii"; });

TEST_F(CliCalculatorTest, CommandsRightAfterEachOtherAreNotLost) {
  Start();
  // Each run is a new process on the device; the calculator going back to
  // idle after the last one loses what comes too soon.
  for (int i = 0; i < 5; ++i) {
    CliRun run = Cli("host " + std::to_string(i));
    ASSERT_EQ(run.status, 0) << run.err;
  }
  EXPECT_EQ(sim->RequestsLostGoingIdle(), 0u);
}

TEST_F(CliCalculatorTest, MkdirRmRmdirAndMv) {
  Start("1 'A' STO 2 'B' STO 3 'C' STO 'D' CRDIR D 4 'X' STO HOME 'G' CRDIR");
  // The calculator purges a missing name without a word; rm does not.
  CliRun missing = Cli("rm NOSUCH");
  EXPECT_EQ(missing.status, 1);
  EXPECT_EQ(missing.err, "dravik-cli: NOSUCH is not in HOME\\\n");
  CliRun mk = Cli("mkdir NEW");
  EXPECT_EQ(mk.status, 0) << mk.err;
  EXPECT_EQ(TypeOf("HOME\\", "NEW"), "Directory");
  CliRun again = Cli("mkdir NEW");
  EXPECT_EQ(again.status, 1);
  EXPECT_NE(again.err.find("NEW already exists in HOME\\"), std::string::npos) << again.err;

  EXPECT_EQ(Cli("rm A B").status, 0);
  EXPECT_EQ(TypeOf("HOME\\", "A"), "");
  EXPECT_EQ(TypeOf("HOME\\", "B"), "");

  CliRun mv = Cli("mv C D G");
  EXPECT_EQ(mv.status, 0) << mv.err;
  EXPECT_EQ(TypeOf("HOME\\G\\", "C"), "Real Number");
  EXPECT_EQ(UserNames("HOME\\G\\D\\"), (Strings{"X"}));
  EXPECT_EQ(TypeOf("HOME\\", "D"), "");

  CliRun up = Cli("--cd HOME/G mv C ..");
  EXPECT_EQ(up.status, 0) << up.err;
  EXPECT_EQ(TypeOf("HOME\\", "C"), "Real Number");

  // The calculator is still in G: a relative path starts there.
  EXPECT_EQ(Cli("--cd G ls").status, 1);
  CliRun rmdir = Cli("--cd HOME/G rmdir D");
  EXPECT_EQ(rmdir.status, 0) << rmdir.err;
  EXPECT_TRUE(UserNames("HOME\\G\\").empty());
}

TEST_F(CliCalculatorTest, PathsAndMovesRunNothingAndLoseNothing) {
  // Two objects of the user's on the stack; PRG would leave a trace if run.
  Start("\\<< 42 'SIDE' STO \\>> 'PRG' STO \"hi\" 'GREET' STO 'X+1' 'EQ' STO 'GAMES' CRDIR "
        "'WORK' CRDIR WORK 5 'EQ' STO HOME 7 8");
  const std::string stack = "2:                     7\r\n1:                     8\r\n";
  CliRun cd = Cli("cd HOME/PRG");
  EXPECT_EQ(cd.status, 1);
  EXPECT_EQ(cd.err,
            "\rError: HOME\\PRG\\ cannot be entered: PRG in HOME\\ is not a directory.\n"
            "Nothing was changed.\n");
  // Not a directory, not there, or not in the directory the user is in.
  for (const char* refused : {"mv EQ NOSUCHDIR", "mv EQ GREET", "mv EQ PRG",
                              "--cd GAMES mv EQ HOME/WORK"}) {
    CliRun mv = Cli(refused);
    EXPECT_EQ(mv.status, 1) << refused;
  }
  EXPECT_EQ(TypeOf("HOME\\", "SIDE"), "");
  EXPECT_EQ(TypeOf("HOME\\", "NOSUCHDIR"), "");
  EXPECT_EQ(TypeOf("HOME\\", "EQ"), "Algebraic");
  EXPECT_EQ(TypeOf("HOME\\", "GREET"), "String");
  EXPECT_EQ(TypeOf("HOME\\GAMES\\", "EQ"), "");
  // WORK holds an EQ: replaced only when the command line says so.
  CliRun clash = Cli("--cd HOME mv EQ WORK");
  EXPECT_EQ(clash.status, 1);
  EXPECT_NE(clash.err.find("HOME\\WORK\\ already holds EQ."), std::string::npos) << clash.err;
  EXPECT_NE(clash.err.find("mv --replace replaces them"), std::string::npos) << clash.err;
  EXPECT_EQ(TypeOf("HOME\\WORK\\", "EQ"), "Real Number");
  CliRun replace = Cli("--cd HOME mv --replace EQ WORK");
  EXPECT_EQ(replace.status, 0) << replace.err;
  EXPECT_EQ(TypeOf("HOME\\WORK\\", "EQ"), "Algebraic");
  EXPECT_EQ(TypeOf("HOME\\", "EQ"), "");
  // Whatever failed, the stack is as the user left it.
  EXPECT_EQ(sim->WithCalculator([](sim::Calculator& c) { return c.StackDisplay(); }), stack);
}

TEST_F(CliCalculatorTest, AnInterruptEndsATransferAsACancel) {
  sim::SimOptions options;
  options.baud = 4800;  // the object takes seconds to go over
  options.auto_eval = true;
  options.auto_eval_delay = std::chrono::milliseconds(200);
  Start("\"" + std::string(6000, 'x') + "\" 'BIG' STO", options);
  const char* bin = std::getenv("DRAVIK_BINARY_DIR");
  for (const std::string command : {"get", "xget"}) {
    SCOPED_TRACE(command);
    testing::ChildProgram cli({std::string(bin ? bin : ".") + "/dravik-cli", "-q", "-C",
                               pc.path(), "--device", sim->device(), command, "BIG"},
                              "");
    ASSERT_TRUE(cli.started());
    // The file is open once the transfer has begun; let some data go over.
    ASSERT_TRUE(Eventually([&] { return std::filesystem::exists(pc / "BIG"); }));
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    EXPECT_EQ(cli.Signal(command == "get" ? SIGINT : SIGTERM, 20000), 130);
    EXPECT_FALSE(std::filesystem::exists(pc / "BIG"));  // no half file
    // The device is not left exclusive to a process that is gone.
    const int fd = ::open(sim->device().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    int exclusive = -1;
    EXPECT_EQ(::ioctl(fd, TIOCGEXCL, &exclusive), 0);
    ::close(fd);
    EXPECT_EQ(exclusive, 0);
    // The calculator was told (CAN ends its XSEND at once) and answers.
    EXPECT_TRUE(Eventually([&] { return sim->InServer(); }, 5000));
    EXPECT_EQ(Cli("state").status, 0);
  }
  EXPECT_EQ(sim->WithCalculator([](sim::Calculator& c) { return c.StackDisplay(); }),
            "Empty Stack");
}

TEST_F(CliCalculatorTest, HelpFitsAnEightyColumnTerminal) {
  CliRun run = Cli("--help", /*with_device=*/false);
  EXPECT_EQ(run.status, 0);
  std::istringstream lines(run.out);
  for (std::string line; std::getline(lines, line);) EXPECT_LE(line.size(), 79u) << line;
  EXPECT_NE(run.out.find("\n  sync --to-pc|--to-calc [--delete] [--dry-run] [--replace] [--fetch-unknown]\n"
                         "      PCDIR                bring what differs"),
            std::string::npos)
      << run.out;
}

TEST_F(CliCalculatorTest, OptionsAndFilesAreCheckedBeforeTheLine) {
  struct Case {
    std::string arguments;
    int status;
    std::string err;
  };
  const std::string device = "--device /nonexistent ";  // never reached
  testing::WriteBytes(pc / "a b", {'1'});
  const Case cases[] = {
      {"--port 4294967297 state", 2, "dravik-cli: --port takes 1 to 4\n"},
      {"--baud 4294976896 state", 2, "dravik-cli: --baud takes a line speed such as 9600\n"},
      {"--check 4294967297 state", 2, "dravik-cli: --check takes 1, 2 or 3\n"},
      {"--device '' state", 2, "dravik-cli: --device needs a device path\n"},
      {"--baud 9601 state", 2,
       "dravik-cli: --baud 9601 is not a supported line speed (300, 600, 1200, 2400, 4800, "
       "9600, 19200, 38400, 57600, 115200)\n"},
      {"--device /tmp state", 1,
       "dravik-cli: Cannot open /tmp: it is a directory, not a serial device.\n"},
      {device + "send '" + pc / "missing" + "'", 2,
       "dravik-cli: cannot send " + pc / "missing" + ": no such file\n"},
      {device + "xsend '" + pc.path() + "'", 2,
       "dravik-cli: cannot send " + pc.path() + ": it is a directory\n"},
      {device + "send '" + pc / "a b" + "'", 2,
       "dravik-cli: cannot send " + pc / "a b" +
           ": \"a b\" cannot be a calculator name (holds a blank, a control character or one "
           "of ' \" # { } [ ] ( ) < > , ; : \\)\n"},
      // The options count after the command word too (--raw lets "a b" go);
      // after "--" every word is the command's.
      {"xsend --raw '" + pc / "a b" + "' --device /tmp", 1,
       "dravik-cli: Cannot open /tmp: it is a directory, not a serial device.\n"},
      {"doctor --device /tmp", 1, ""},
      {"xsend --raw --device /tmp -- --check", 2, "dravik-cli: cannot send --check: no such file\n"},
  };
  for (const Case& c : cases) {
    CliRun run = Cli(c.arguments, /*with_device=*/false);
    EXPECT_EQ(run.status, c.status) << c.arguments;
    EXPECT_EQ(run.err, c.err) << c.arguments;
  }
}

TEST_F(CliCalculatorTest, TransferSettings) {
  Start();
  EXPECT_EQ(Cli("binary").status, 0);
  EXPECT_TRUE(sim->WithCalculator([](sim::Calculator& c) { return c.BinaryTransfers(); }));
  EXPECT_EQ(Cli("ascii").status, 0);
  EXPECT_FALSE(sim->WithCalculator([](sim::Calculator& c) { return c.BinaryTransfers(); }));
  EXPECT_EQ(Cli("setio 1 2").status, 0);
  EXPECT_EQ(sim->WithCalculator([](sim::Calculator& c) { return c.TranslationMode(); }), 1);
  EXPECT_EQ(sim->WithCalculator([](sim::Calculator& c) { return c.ChecksumType(); }), 2);
}

TEST_F(CliCalculatorTest, PortAndSpeedComeFromTheSettingsFile) {
  Start();
  Session s;
  s.Settings.PortNumber = 3;
  s.Settings.BaudRate = 4800;
  s.FavoritePath = pc.path();
  ASSERT_EQ(SaveSettingsFile(s, SettingsFilePath()), 1);
  ::setenv("DRAVIK_COM3", sim->device().c_str(), 1);
  CliRun state = Cli("state", /*with_device=*/false);
  EXPECT_EQ(state.status, 0) << state.err;
  EXPECT_EQ(state.out.rfind("path: HOME\\\n", 0), 0u);
  // An option still wins over the file.
  CliRun other = Cli("--port 2 state", false);
  EXPECT_NE(other.status, 0);
}

// A backup is read on the PC, and single variables of it go back to the
// calculator without a restore; a damaged one says where it breaks.
TEST_F(CliCalculatorTest, InspectExtractAndSendFromABackup) {
  Start("'D' CRDIR D (1,2) 'Z' STO HOME { 1 \"a\" } 'L' STO 'BK' ARCHIVE");
  std::vector<uint8_t> backup =
      sim->WithCalculator([](sim::Calculator& c) { return c.BinaryOf("HOME\\", "BK"); });
  const std::vector<uint8_t> z = sim->WithCalculator([](sim::Calculator& c) { return c.BinaryOf("HOME\\D\\", "Z"); });
  testing::WriteBytes(pc / "BK", backup);
  CliRun inspect = Cli("inspect '" + pc / "BK" + "'", false);
  ASSERT_EQ(inspect.status, 0) << inspect.err;
  const std::string tree = inspect.out.substr(inspect.out.find('\n') + 1);
  EXPECT_EQ(tree,
            "  L      List               19  9572\n"
            "  D      Directory          36  7228\n"
            "    Z    Complex Number     24  45768\n"
            "  IOPAR  List             29.5  47844\n");

  CliRun extract = Cli("extract '" + pc / "BK" + "' D/Z", false);
  ASSERT_EQ(extract.status, 0) << extract.err;
  EXPECT_EQ(testing::ReadBytes(pc / "Z"), z);
  EXPECT_EQ(Cli("extract '" + pc / "BK" + "' D/Z", false).status, 1);  // Z is there now

  sim->WithCalculator([](sim::Calculator& c) { return c.RunCommandLine("{ L BK } PURGE 'D' PGDIR"); });
  CliRun send = Cli("sendfrom '" + pc / "BK" + "' D/Z L");
  ASSERT_EQ(send.status, 0) << send.err;
  EXPECT_EQ(UserNames("HOME\\"), (Strings{"L", "Z"}));
  EXPECT_EQ(sim->WithCalculator([](sim::Calculator& c) { return c.BinaryOf("HOME\\", "Z"); }), z);

  // Cut inside L, the newest variable: the rest is still shown.
  backup.resize(backup.size() - 8);
  testing::WriteBytes(pc / "CUT", backup);
  CliRun cut = Cli("inspect '" + pc / "CUT" + "'", false);
  EXPECT_EQ(cut.status, 1);
  const std::string at = std::to_string(backup.size());
  EXPECT_EQ(cut.out.substr(cut.out.find('\n') + 1),
            "  L      List               -  -\n"
            "  D      Directory         36  7228\n"
            "    Z    Complex Number    24  45768\n"
            "  IOPAR  List            29.5  47844\n"
            "  truncated at byte " + at + " (in HOME/L)\n");
  CliRun refused = Cli("extract '" + pc / "CUT" + "' L", false);
  EXPECT_EQ(refused.status, 1);
  EXPECT_EQ(refused.err, "dravik-cli: " + pc / "CUT" + ": HOME/L is damaged: truncated at byte " + at +
                             " (in HOME/L)\n");
  EXPECT_TRUE(testing::ReadBytes(pc / "L").empty());
}

TEST_F(CliCalculatorTest, ArchiveAndRestore) {
  sim::SimOptions options;
  options.auto_eval = true;
  options.auto_eval_delay = std::chrono::milliseconds(300);
  Start("7 'KEEP' STO", options);
  // A command's name cannot be stored under: refused before the calculator
  // leaves its server.
  for (const char* name : {"SIN", "HOME"}) {
    CliRun refused = Cli(std::string("archive ") + name);
    EXPECT_EQ(refused.status, 1);
    EXPECT_NE(refused.err.find(std::string("The HP48 cannot store a variable named ") + name),
              std::string::npos)
        << refused.err;
  }
  // A file that is no backup: the calculator's refusal is read and fails
  // the command, and the next command reads only its own answer.
  testing::WriteBytes(pc / "NOTBAK", {'"', 'x', '"'});
  CliRun not_backup = Cli("restore '" + pc / "NOTBAK" + "'");
  EXPECT_EQ(not_backup.status, 1);
  EXPECT_NE(not_backup.err.find("Error Message from HP48: Bad Argument Type"), std::string::npos)
      << not_backup.err;
  CliRun state = Cli("state");
  EXPECT_EQ(state.status, 0) << state.err;
  EXPECT_EQ(state.out.rfind("path: HOME\\\n", 0), 0u) << state.out;
  sim->WithCalculator([](sim::Calculator& c) { return c.RunCommandLine("'NOTBAK' PURGE"); });

  CliRun archive = Cli("archive MAR99");
  ASSERT_EQ(archive.status, 0) << archive.err;
  EXPECT_EQ(archive.out, pc / "MAR99" + "\n");
  const auto backup = testing::ReadBytes(pc / "MAR99");
  ASSERT_GT(backup.size(), 8u);
  EXPECT_EQ(std::string(backup.begin(), backup.begin() + 7), "HPHP48-");

  for (int i = 0; i < 200 && !sim->InServer(); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  sim->WithCalculator([](sim::Calculator& c) { return c.RunCommandLine("'KEEP' PURGE 8 'LATER' STO"); });
  // The calculator restarts with its server off: the command says so and
  // waits until the user has started it again.
  auto restore = std::async(std::launch::async,
                            [&] { return Cli("restore '" + pc / "MAR99" + "'"); });
  bool restored = false;
  for (int i = 0; i < 400 && !restored; ++i) {
    Strings n = UserNames("HOME\\");
    restored = std::find(n.begin(), n.end(), "KEEP") != n.end() &&
               std::find(n.begin(), n.end(), "LATER") == n.end();
    if (!restored) std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  EXPECT_TRUE(restored);
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  sim->StartServer();
  const CliRun done = restore.get();
  EXPECT_EQ(done.status, 0) << done.err;
  EXPECT_NE(done.err.find("its server is off until you start it again: press [\u2192] [I/O] "
                          "(SERVER)."),
            std::string::npos)
      << done.err;
  EXPECT_NE(done.err.find("The calculator answers again."), std::string::npos) << done.err;
}

}  // namespace
}  // namespace dravik
