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

TEST(PortPrograms, ArchiveSendsABackupThatRestoreBringsBack) {
  Calculator calc;
  calc.RunCommandLine("'D' CRDIR D 7 'Q' STO HOME 1.5 'R' STO");
  EXPECT_EQ(calc.RunCommandLine("3 TRANSIO"), "Empty Stack");
  const std::string before = calc.DirectoryListing();
  EXPECT_EQ(calc.RunCommandLine(":IO:MAR99 \\<<ARCHIVE 1 TRANSIO SERVER\\>>"),
            "2:             IO: MAR99\r\n1: \\<< ARCHIVE 1 TRANSIO SERVER \\>>\r\n");
  RecordingIo io;
  EXPECT_TRUE(calc.PressEval(&io));
  ASSERT_EQ(io.kermit.size(), 1u);
  EXPECT_EQ(io.kermit[0].first, "MAR99");
  const Bytes backup = io.kermit[0].second;
  EXPECT_EQ(Bytes(backup.begin(), backup.begin() + 10), FromHex("4850485034382d52622b"));
  EXPECT_EQ(io.servers, 1);
  EXPECT_EQ(calc.StackDisplay(), "Empty Stack");

  calc.RunCommandLine("'D' PGDIR 'R' PURGE");
  ASSERT_TRUE(calc.StoreUpload("MAR99", backup).ok);
  EXPECT_EQ(calc.TypeOf("HOME\\", "MAR99"), "Backup");
  calc.RunCommandLine("'MAR99' RCL RESTORE");
  EXPECT_EQ(calc.DirectoryListing(), before);
  EXPECT_EQ(calc.VariableNames("HOME\\D\\"), std::vector<std::string>{"Q"});
}

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
