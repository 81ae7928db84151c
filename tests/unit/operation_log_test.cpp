// The operation log: nested operations fold into the one that runs them, a
// garbled object marks the entry failed and is named, a failure keeps the
// first error shown.
#include "link/operation_log.h"

#include <gtest/gtest.h>

namespace dravik {
namespace {

TEST(OperationLog, NestedOperationsFoldIntoOneEntryWithTheirBytesAndFirstError) {
  OperationLog log;
  std::vector<std::string> heard;
  log.SetListener([&](const LogEntry& e) { heard.push_back(e.what); });
  {
    LoggedOperation job(&log, "Send A, B (Kermit)");
    {
      LoggedOperation listing(&log, "List HOME\\");
      log.AddBytes(120);
      log.NoteError("No response from HP48\n\nPut your HP in Server-Mode");
      listing.Result(0);
    }
    log.NoteError("a later error");
    log.SetBytes(4096);  // the job's own count wins over the listing's
    job.Result(0);
  }
  { LoggedOperation home(&log, "Go to HOME"); }  // left without a result: failed
  ASSERT_EQ(log.Entries().size(), 2u);
  EXPECT_EQ(heard, (std::vector<std::string>{"Send A, B (Kermit)", "Go to HOME"}));
  const LogEntry job = log.Entries()[0];
  EXPECT_EQ(LogBytes(job), "4096 bytes");
  EXPECT_EQ(LogOutcomeText(job),
            "FAILED: No response from HP48 - Put your HP in Server-Mode");
  EXPECT_TRUE(job.Failed());
  EXPECT_EQ(LogBytes(log.Entries()[1]), "");
  EXPECT_TRUE(log.Entries()[1].Failed());
}

TEST(OperationLog, AGarbledObjectMakesTheEntryStandOutAndIsNamed) {
  OperationLog log;
  {
    LoggedOperation job(&log, "Receive GAME, PIC and NOTE (Kermit)");
    log.NoteCheck("GAME", ObjectCheckNote::Mismatch);
    log.NoteCheck("PIC", ObjectCheckNote::Match);
    log.NoteCheck("NOTE", ObjectCheckNote::Unchecked);
    job.Result(1);
  }
  {
    LoggedOperation job(&log, "Send PIC (Kermit)");
    log.NoteCheck("PIC", ObjectCheckNote::Unchecked);
    job.Result(1);
  }
  const std::vector<LogEntry> entries = log.Entries();
  EXPECT_EQ(entries[0].check, "GAME: checksum differs; NOTE: not checked; 1 other matches");
  EXPECT_TRUE(entries[0].Failed());
  EXPECT_EQ(entries[1].check, "PIC: not checked");
  EXPECT_FALSE(entries[1].Failed());
  EXPECT_EQ(LogLine(entries[1]).substr(8), "  Send PIC (Kermit)  " + LogDuration(entries[1]) +
                                               "  done  PIC: not checked");
}

}  // namespace
}  // namespace dravik
