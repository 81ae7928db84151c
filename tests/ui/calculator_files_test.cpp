// Calculator files in the window: the PC list's tool tips and the Backup
// window.
#include <QCoreApplication>
#include <QHelpEvent>
#include <QToolTip>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include "app/main_frame.h"
#include "grob/picture_processing.h"
#include "pcview/pc_view.h"
#include "scratch_folder.h"
#include "support/pane_events.h"
#include "support/sim_window.h"

namespace dravik {
namespace {

// The tool tip the PC list shows for the named row.
QString ToolTipOf(CPCView& list, const QString& name) {
  QTreeWidgetItem* row = testing::RowNamed(&list, name);
  if (!row) return "(no row)";
  const QPoint at = list.visualItemRect(row).center();
  QHelpEvent event(QEvent::ToolTip, at, list.viewport()->mapToGlobal(at));
  QCoreApplication::sendEvent(list.viewport(), &event);
  return QToolTip::isVisible() ? QToolTip::text() : QString();
}

TEST(PcListToolTip, NamesACalculatorFilesTypeAndSizeAndShowsAGrob) {
  testing::SimWindow w({}, false);
  // A GROB of 8 x 2: 24 nibbles, listed under the name PIC as 19.5 bytes.
  MonoPicture picture{8, 2, std::vector<uint8_t>(16, 1)};
  testing::WriteBytes(w.pcFolder() / "PIC", MonoToGrobFile(picture).bytes);
  testing::WriteBytes(w.pcFolder() / "PIC49", MonoToGrobFile(picture, CalculatorFamily::Hp49).bytes);
  testing::WriteBytes(w.pcFolder() / "notes.txt", {'h', 'i'});
  CPCView& list = *w.frame().panes().pcList;
  list.Refresh();
  // Nothing to tell of other files.
  EXPECT_EQ(ToolTipOf(list, "notes.txt").toStdString(), "");
  const QString tip = ToolTipOf(list, "PIC");
  EXPECT_TRUE(tip.contains("HP48 binary object<br>Graphic, 19.5 bytes, checksum ")) << tip.toStdString();
  // The family a binary file is for is named.
  const QString tip49 = ToolTipOf(list, "PIC49");
  EXPECT_TRUE(tip49.contains("HP49 binary object<br>Graphic, 21.5 bytes, checksum ")) << tip49.toStdString();
  EXPECT_TRUE(tip.contains("8 \u00d7 2 pixels")) << tip.toStdString();
  EXPECT_TRUE(tip.contains("<img src=\"data:image/png;base64,")) << tip.toStdString();
}

}  // namespace
}  // namespace dravik
