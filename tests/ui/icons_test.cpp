// The drawings the panes, toolbar and drags ask for by name.
#include <QCursor>
#include <QImage>
#include <QPixmap>

#include <gtest/gtest.h>

#include "app/icons.h"

namespace dravik {
namespace {

// True when the image has at least one pixel that is not transparent.
bool HasInk(const QImage& image) {
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x)
      if (qAlpha(image.pixel(x, y)) != 0) return true;
  return false;
}

// A misspelt name or a drawing QtSvg cannot read shows as a blank slot.
TEST(Icons, EveryNamedDrawingIsThereAndDraws) {
  const char* names[] = {
      "obj_real", "obj_complex", "obj_string", "obj_list", "obj_program", "obj_algebraic",
      "obj_binary", "obj_graphic", "obj_unit", "obj_library", "obj_dir_current", "obj_other",
      "obj_global", "obj_dir_stale", "obj_code", "hptree_home", "hptree_dir_current",
      "hptree_dir_selected", "hptree_dir_stale", "hptree_home_selected", "pctree_computer",
      "pctree_removable", "pctree_fixed", "pctree_cdrom", "pctree_folder_closed",
      "pctree_folder_open", "pc_folder", "pc_file", "pc_hp_binary", "pc_hp_text", "pc_picture",
      "pc_ga0", "tb_send", "tb_send_xmodem", "tb_comm_settings", "tb_finish", "tb_read_all",
      "tb_check_out", "tb_compare", "tb_home", "tb_updir", "tb_new_folder", "tb_delete", "tb_refresh",
      "tb_panic", "state_ok", "state_warning", "state_problem", "dravik"};
  for (const char* name : names) {
    const QIcon icon = DravikIcon(name);
    ASSERT_FALSE(icon.isNull()) << name;
    EXPECT_TRUE(HasInk(icon.pixmap(QSize(16, 16), 1.0).toImage())) << name;
  }
}

// A drag's cursor is placed by its middle (QDrag has no other hot spot), a
// cursor set on a pane by its top left corner: in both the arrow's tip must
// be the point, or the drop lands away from where the arrow shows.
TEST(Icons, DragCursorsPointWithTheArrowsTip) {
  for (bool xmodem : {false, true}) {
    const QCursor cursor = DragCursor(xmodem);
    EXPECT_EQ(cursor.hotSpot(), QPoint(0, 0)) << xmodem;
    const QImage drawn = cursor.pixmap().toImage();
    ASSERT_EQ(drawn.size(), QSize(32, 32)) << xmodem;
    EXPECT_EQ(qAlpha(drawn.pixel(0, 0)), 255) << xmodem;
    EXPECT_EQ(qAlpha(drawn.pixel(1, 0)), 0) << xmodem;

    const QImage dragged = DragCursorPixmap(xmodem).toImage();
    ASSERT_EQ(dragged.size(), QSize(64, 64)) << xmodem;
    EXPECT_EQ(qAlpha(dragged.pixel(32, 32)), 255) << xmodem;
    EXPECT_EQ(qAlpha(dragged.pixel(31, 31)), 0) << xmodem;
    EXPECT_EQ(qAlpha(dragged.pixel(33, 32)), 0) << xmodem;
  }
}

}  // namespace
}  // namespace dravik
