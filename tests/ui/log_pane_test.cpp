// The log pane: a file job is one row with its bytes, outcome and checksum
// check (the listing read for the check is no row of its own); a failed job
// stands out and says why; Save Log writes the rows as text.
#include <QAction>
#include <QTest>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "app/icons.h"
#include "app/log_dock.h"
#include "jobs/transfer_job.h"
#include "picture_samples.h"
#include "support/sim_window.h"

namespace dravik {
namespace {

using testing::SimWindow;

void QueueSend(SimWindow& w, std::vector<std::string> paths) {
  TransferJob& job = w.session().Job;
  job.Clear();
  job.TransferList = std::move(paths);
  job.SendJobActive = true;
}

// Rows arrive queued from the job's worker: waits until there are n.
QTreeWidgetItem* RowWhenThere(QTreeWidget* list, int n) {
  for (int i = 0; i < 500 && list->topLevelItemCount() < n; ++i) QTest::qWait(10);
  return list->topLevelItemCount() == n ? list->topLevelItem(n - 1) : nullptr;
}

QImage IconImage(const QIcon& icon) { return icon.pixmap(QSize(16, 16), 1.0).toImage(); }

TEST(LogPane, ShowsEachSendJobWithBytesOutcomeAndCheckAndAFailureStandsOut) {
  SimWindow w;
  CLogDock* dock = w.frame().logDock();
  QAction* show = w.frame().action(CMainFrame::Command::Log);
  EXPECT_EQ(show->text(), "&Log");
  EXPECT_TRUE(show->isCheckable());
  EXPECT_FALSE(show->isChecked());
  QTreeWidget* list = dock->List();
  // The connection check's row is on its way.
  const int before = static_cast<int>(w.ctx().log.Entries().size());
  RowWhenThere(list, before);

  const std::vector<uint8_t> grob = testing::MakeGrob(testing::PatternPicture(40, 12));
  const std::string pic = w.pcFolder() / "SMILE";
  testing::WriteBytes(pic, grob);
  QueueSend(w, {pic});
  ASSERT_EQ(w.RunJob(), JobOutcome::Completed);
  QTreeWidgetItem* sent = RowWhenThere(list, before + 1);
  ASSERT_NE(sent, nullptr);
  EXPECT_EQ(sent->text(CLogDock::WhatColumn), "Send SMILE (Kermit)");
  EXPECT_EQ(sent->text(CLogDock::BytesColumn), QString::number(grob.size()) + " bytes");
  EXPECT_EQ(sent->text(CLogDock::OutcomeColumn), "done");
  EXPECT_EQ(sent->text(CLogDock::CheckColumn), "checksum matches");
  EXPECT_EQ(IconImage(sent->icon(CLogDock::TimeColumn)), IconImage(DravikIcon("state_ok")));

  // A file gone before the job starts: the job fails and its row says why.
  QueueSend(w, {w.pcFolder() / "GONE"});
  ASSERT_EQ(w.RunJob(), JobOutcome::Failed);
  QTreeWidgetItem* failed = RowWhenThere(list, before + 2);
  ASSERT_NE(failed, nullptr);
  EXPECT_EQ(failed->text(CLogDock::WhatColumn), "Send GONE (Kermit)");
  EXPECT_EQ(failed->text(CLogDock::OutcomeColumn).toStdString(),
            "FAILED: Could not open file: " + (w.pcFolder() / "GONE"));
  EXPECT_EQ(IconImage(failed->icon(CLogDock::TimeColumn)), IconImage(DravikIcon("state_problem")));
  EXPECT_NE(failed->foreground(CLogDock::WhatColumn), sent->foreground(CLogDock::WhatColumn));

  const std::string saved = w.pcFolder() / "log.txt";
  QString error;
  ASSERT_TRUE(dock->SaveTo(QString::fromStdString(saved), &error)) << error.toStdString();
  std::ifstream in(saved);
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  ASSERT_EQ(lines.size(), static_cast<size_t>(before + 2));
  const std::string time = sent->text(CLogDock::TimeColumn).toStdString();
  EXPECT_EQ(lines[before], time + "  Send SMILE (Kermit)  " + std::to_string(grob.size()) +
                               " bytes  " + sent->text(CLogDock::DurationColumn).toStdString() +
                               "  done  checksum matches");
}

}  // namespace
}  // namespace dravik
