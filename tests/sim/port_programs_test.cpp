// Programs that use the serial port (XSEND, XRECV, ARCHIVE, SERVER) run
// through a recording CalculatorIo, the way the PC side starts them: upload
// the program, put the runner on the stack, leave the server, press EVAL.
#include <gtest/gtest.h>

#include <deque>

#include "calculator.h"

namespace dravik::sim {
namespace {

Bytes B(const std::string& s) { return Bytes(s.begin(), s.end()); }

Bytes FromHex(const std::string& hex) {
  Bytes b;
  for (size_t i = 0; i + 1 < hex.size(); i += 2) {
    b.push_back(static_cast<uint8_t>(std::stoi(hex.substr(i, 2), nullptr, 16)));
  }
  return b;
}

class RecordingIo : public CalculatorIo {
 public:
  std::vector<Bytes> sent;
  std::vector<Bytes> fills;  // what followed each sent object in memory
  std::deque<Bytes> to_receive;
  std::vector<std::pair<std::string, Bytes>> kermit;
  std::string fail_with;  // error for the next transfer
  int servers = 0;

  std::string XModemSend(const Bytes& data, const Bytes& fill) override {
    if (!fail_with.empty()) return fail_with;
    sent.push_back(data);
    fills.push_back(fill);
    return {};
  }
  std::string XModemReceive(Bytes& data) override {
    if (!fail_with.empty() || to_receive.empty()) return fail_with.empty() ? "Transfer Failed" : fail_with;
    data = to_receive.front();
    to_receive.pop_front();
    return {};
  }
  std::string KermitSendFile(const std::string& name, const Bytes& data) override {
    kermit.push_back({name, data});
    return {};
  }
  void EnterServer() override { ++servers; }
};

// Prepares an XModem job as the PC program does and presses EVAL.
void RunXModemJob(Calculator& calc, RecordingIo& io, const std::string& body,
                  const std::string& expect_stored = "XModem.tmp") {
  StoreResult r = calc.StoreUpload("XModem.tmp", B("%%HP: T(3)A(D)F(.);\\<< " + body + " \\>>"));
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(r.stored_name, expect_stored);
  EXPECT_EQ(calc.RunCommandLine("3 TRANSIO"), "Empty Stack");
  EXPECT_EQ(calc.RunCommandLine("\\<<XModem.tmp 'XModem.tmp' PURGE 1 TRANSIO SERVER\\>>"),
            "1: \\<< XModem.tmp 'XModem.tmp' PURGE 1 TRANSIO SERVER \\>>\r\n");
  EXPECT_TRUE(calc.PressEval(&io));
}

TEST(PortPrograms, XsendOfAListSendsEachBinaryFormThenRestartsTheServer) {
  Calculator calc;
  calc.RunCommandLine("1.5 'R' STO \"HELLO\" 'S' STO");
  RecordingIo io;
  RunXModemJob(calc, io, "{ R S } XSEND");
  ASSERT_EQ(io.sent.size(), 2u);
  EXPECT_EQ(io.sent[0], FromHex("4850485034382d523329000000000000001500"));
  EXPECT_EQ(io.sent[1], FromHex("4850485034382d522c2af000004845" "4c4c4f"));
  EXPECT_EQ(io.servers, 1);
  EXPECT_EQ(calc.TypeOf("HOME\\", "XModem.tmp"), "");
  EXPECT_EQ(calc.TranslationMode(), 1);
  EXPECT_EQ(calc.StackDisplay(), "Empty Stack");
}

// After G F the PC's program runs the way the model allows: a 48 keeps its
// stack, so EVAL runs the runner left there; a 49 empties it, so EVAL finds
// nothing, and the runner has to be stored (as PCRUN) and its name typed.
struct RunnerCase {
  SimModel model;
  const char* how;    // the command line that leaves the runner
  bool runs;
};

class RunnerAfterFinish : public ::testing::TestWithParam<RunnerCase> {};

TEST_P(RunnerAfterFinish, RunsWhereTheModelKeepsIt) {
  Calculator calc(GetParam().model);
  calc.RunCommandLine(GetParam().how);
  calc.LeaveServer();
  RecordingIo io;
  const std::string runner = calc.KeyboardRunner();
  if (runner.empty()) {
    EXPECT_EQ(calc.PressEval(&io), GetParam().runs);
  } else {
    EXPECT_EQ(calc.TypeAndEnter(runner, &io), "");
  }
  EXPECT_EQ(io.servers, GetParam().runs ? 1 : 0);
  EXPECT_EQ(calc.TypeOf("HOME\\", "RAN"), GetParam().runs ? "Real Number" : "");
}

INSTANTIATE_TEST_SUITE_P(
    Models, RunnerAfterFinish,
    ::testing::Values(RunnerCase{SimModel::k48GX, "\xab 1. 'RAN' STO SERVER \xbb", true},
                      RunnerCase{SimModel::k49G, "\xab 1. 'RAN' STO SERVER \xbb", false},
                      RunnerCase{SimModel::k49G, "\xab 1. 'RAN' STO SERVER \xbb 'PCRUN' STO", true}),
    [](const ::testing::TestParamInfo<RunnerCase>& param) {
      return std::string("HP") + SimModelName(param.param.model) +
             (param.param.runs ? "Runs" : "FindsNothing");
    });

// A 49's XSEND fills the last block with what follows the object in
// memory; each block below is a real one, sent from a memory made as the
// capture made it (R, S, P, Z, then XModem.tmp and the runner XR).
struct CapturedBlock {
  const char* name;
  const char* hex;  // the 128 bytes of the block
};

class Xsend49Block : public ::testing::TestWithParam<CapturedBlock> {};

TEST_P(Xsend49Block, TheLastBlockGoesOnWithWhatFollowsInMemory) {
  Calculator calc(SimModel::k49G);
  calc.RunCommandLine("1.5 'R' STO \"HELLO\" 'S' STO \xab 1 2 + \xbb 'P' STO 5 'Z' STO");
  const std::string name = GetParam().name;
  ASSERT_TRUE(calc.StoreUpload("XModem.tmp", B("%%HP: T(3)A(D)F(.);\\<< '" + name + "' XSEND \\>>")).ok);
  calc.RunCommandLine("3 TRANSIO");
  calc.RunCommandLine("\\<<XModem.tmp 'XModem.tmp' PURGE 1 TRANSIO SERVER\\>> 'XR' STO");
  calc.LeaveServer();
  RecordingIo io;
  EXPECT_EQ(calc.TypeAndEnter("XR", &io), "");
  ASSERT_EQ(io.sent.size(), 1u);
  Bytes block = io.sent[0];
  block.insert(block.end(), io.fills[0].begin(), io.fills[0].end());
  block.resize(128);
  EXPECT_EQ(block, FromHex(GetParam().hex));
  EXPECT_EQ(io.servers, 1);
}

INSTANTIATE_TEST_SUITE_P(
    Captured, Xsend49Block,
    ::testing::Values(
        CapturedBlock{"R",
                      "4850485034392d4233290000000000000015b001000153012c2af0000048454c"
                      "4c4f1a00100015d0d902b989633b27c27382b539d489b31203290010a0154061"
                      "020700502001000a584d6f64656d2e746d700a9d2d909b38ef8983e402015214"
                      "8a23e902abf004d489b312034a0020802525d0d902b98983e4020a584d6f6465"},
        CapturedBlock{"S",
                      "4850485034392d422c2af0000048454c4c4f1a00100015d0d902b989633b27c2"
                      "7382b539d489b31203290010a0154061020700502001000a584d6f64656d2e74"
                      "6d700a9d2d909b38ef8983e4020153148a23e902abf004d489b312034a002080"
                      "2525d0d902b98983e4020a584d6f64656d2e746d70ef8983e4020a584d6f6465"},
        CapturedBlock{"P",
                      "4850485034392d429d2d909b38b673223c27589b439d382b31900200015a0114"
                      "26700000051200a080d5f44656d6e642d706a7d0d902b989f39e38482e100045"
                      "a138922eb00a4f409d382b31a00400025852029d2d909b38482ea080d5f44656"
                      "d6e642d706f79e38482ea080d5f44656d6e642d70647a1387ce8633b270cee13"}),
    [](const ::testing::TestParamInfo<CapturedBlock>& param) { return std::string(param.param.name); });

TEST(PortPrograms, XrecvStoresBinaryObjectsAndAnythingElseAsAStringOfTheBlocks) {
  Calculator calc;
  RecordingIo io;
  Bytes real = FromHex("4850485034382d523329000000000000001500");
  real.resize(128, 0x1A);
  Bytes text = B("%%HP: T(3)A(D)F(.);\r\n2.5\r\n");
  text.resize(128, 0);
  io.to_receive = {real, text};
  RunXModemJob(calc, io, "{ RX TX } XRECV");
  EXPECT_EQ(calc.TypeOf("HOME\\", "RX"), "Real Number");
  EXPECT_EQ(calc.BinaryOf("HOME\\", "RX"), FromHex("4850485034382d523329000000000000001500"));
  EXPECT_EQ(calc.TypeOf("HOME\\", "TX"), "String");
  EXPECT_NE(calc.DirectoryListing().find("TX 139.5 String "), std::string::npos);
  EXPECT_EQ(io.servers, 1);
}

TEST(PortPrograms, AFailedTransferStopsTheProgramAndLeavesTheServerOff) {
  Calculator calc;
  calc.RunCommandLine("1.5 'R' STO");
  RecordingIo io;
  io.fail_with = "Timeout";
  RunXModemJob(calc, io, "'R' XSEND");
  EXPECT_EQ(io.servers, 0);
  EXPECT_EQ(calc.TypeOf("HOME\\", "XModem.tmp"), "Program");
  EXPECT_EQ(calc.TranslationMode(), 3);
  // The next job's program lands beside the old one, which the runner runs.
  io.fail_with.clear();
  calc.RunCommandLine("CLEAR 1 TRANSIO");
  RunXModemJob(calc, io, "'NOSUCH' XSEND", "XModem.tmp.1");
  EXPECT_EQ(io.sent.size(), 1u);
  EXPECT_EQ(io.servers, 1);
  EXPECT_EQ(calc.TypeOf("HOME\\", "XModem.tmp.1"), "Program");
}

TEST(PortPrograms, XsendOfAMissingNameSendsNothing) {
  Calculator calc;
  RecordingIo io;
  RunXModemJob(calc, io, "'NOSUCH' XSEND");
  EXPECT_TRUE(io.sent.empty());
  EXPECT_EQ(io.servers, 0);
  EXPECT_EQ(calc.StackDisplay(), "1:              'NOSUCH'\r\n");
}

TEST(PortPrograms, IferrCatchesATransferError) {
  Calculator calc;
  RecordingIo io;
  io.fail_with = "Transfer Failed";
  calc.RunCommandLine("\xab IFERR { A } XRECV THEN \"failed\" END SERVER \xbb");
  EXPECT_TRUE(calc.PressEval(&io));
  EXPECT_EQ(calc.StackDisplay(), "2:                 { A }\r\n1:              \"failed\"\r\n");
  EXPECT_EQ(io.servers, 1);
}

// ARCHIVE sends the model's binary file of a backup (prolog 02B62).
struct ArchiveCase {
  SimModel model;
  const char* start;  // the file's first 10 bytes
};

class Archive : public ::testing::TestWithParam<ArchiveCase> {};

TEST_P(Archive, SendsABackupThatRestoreBringsBack) {
  Calculator calc(GetParam().model);
  calc.RunCommandLine("'D' CRDIR D 7 'Q' STO HOME 1.5 'R' STO");
  EXPECT_EQ(calc.RunCommandLine("3 TRANSIO"), "Empty Stack");
  const std::string before = calc.DirectoryListing();
  calc.RunCommandLine(":IO:MAR99 \\<<ARCHIVE 1 TRANSIO SERVER\\>>");
  RecordingIo io;
  EXPECT_TRUE(calc.PressEval(&io));
  ASSERT_EQ(io.kermit.size(), 1u);
  EXPECT_EQ(io.kermit[0].first, "MAR99");
  const Bytes backup = io.kermit[0].second;
  EXPECT_EQ(Bytes(backup.begin(), backup.begin() + 10), FromHex(GetParam().start));
  EXPECT_EQ(io.servers, 1);
  EXPECT_EQ(calc.StackDisplay(), "Empty Stack");

  calc.RunCommandLine("'D' PGDIR 'R' PURGE");
  ASSERT_TRUE(calc.StoreUpload("MAR99", backup).ok);
  EXPECT_EQ(calc.TypeOf("HOME\\", "MAR99"), "Backup");
  calc.RunCommandLine("'MAR99' RCL RESTORE");
  EXPECT_EQ(calc.DirectoryListing(), before);
  EXPECT_EQ(calc.VariableNames("HOME\\D\\"), std::vector<std::string>{"Q"});
}

INSTANTIATE_TEST_SUITE_P(Models, Archive,
                         ::testing::Values(ArchiveCase{SimModel::k48SX, "4850485034382d4a622b"},
                                           ArchiveCase{SimModel::k48GX, "4850485034382d52622b"},
                                           ArchiveCase{SimModel::k49G, "4850485034392d42622b"}),
                         [](const ::testing::TestParamInfo<ArchiveCase>& param) {
                           return std::string("HP") + SimModelName(param.param.model);
                         });

TEST(PortPrograms, RestoreTakesTheRealCalculatorsBackup) {
  const Bytes real = FromHex(
      "4850485034382d52622be00e0007484f4d4544495207962af07f8f0000000000962af07f5c000000000c5573"
      "65724b6579732e4352430c4e2a900000e6752a008050355726b75496378740a7022b31e0010006416c61726d"
      "7306742ab0120380005090f40415245540a7029123422b2ab4a2422b2af3a2322f2a2b3110910280dd0f");
  Calculator calc;
  calc.RunCommandLine("1 'A' STO");
  ASSERT_TRUE(calc.StoreUpload("MAR99", real).ok);
  EXPECT_EQ(calc.RunCommandLine("'MAR99' RCL RESTORE"), "Empty Stack");
  EXPECT_EQ(calc.VariableNames("HOME\\"), std::vector<std::string>{"IOPAR"});
  EXPECT_NE(calc.DirectoryListing().find("IOPAR 29.5 List 47844\r\n"), std::string::npos)
      << calc.DirectoryListing();
  // IOPAR was archived under TRANSIO 3 (CRC as the real listing shows it).
  // Archiving again gives back the same HOME directory, hidden entries included.
  calc.RunCommandLine("'COPY' ARCHIVE -35 SF");
  Bytes again = calc.RecallForTransfer("COPY").file;
  ASSERT_GT(again.size(), 30u);
  EXPECT_EQ(Bytes(again.begin() + 8, again.begin() + 8 + 100), Bytes(real.begin() + 8, real.begin() + 8 + 100));
}

}  // namespace
}  // namespace dravik::sim
