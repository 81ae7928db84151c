// The drawings the panes, toolbar and drags ask for by name.
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
      "tb_check_out", "tb_home", "tb_updir", "tb_new_folder", "tb_delete", "tb_refresh",
      "tb_panic", "dravik"};
  for (const char* name : names) {
    const QIcon icon = DravikIcon(name);
    ASSERT_FALSE(icon.isNull()) << name;
    EXPECT_TRUE(HasInk(icon.pixmap(QSize(16, 16), 1.0).toImage())) << name;
  }
}

// The code puts the cursor's hot spot at (0,0): the arrow's tip must be there.
TEST(Icons, DragCursorsPointWithTheirTopLeftCorner) {
  for (bool xmodem : {false, true}) {
    const QImage image = DragCursorPixmap(xmodem).toImage();
    ASSERT_EQ(image.size(), QSize(32, 32)) << xmodem;
    EXPECT_EQ(qAlpha(image.pixel(0, 0)), 255) << xmodem;
    EXPECT_EQ(qAlpha(image.pixel(31, 0)), 0) << xmodem;
  }
}

}  // namespace
}  // namespace dravik
