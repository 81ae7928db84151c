// Dravik's own drawings (res/icons/*.svg, compiled into the program): they
// are vector pictures, so they stay sharp at 16 pixels and on a high-DPI
// screen.
#pragma once

#include <QCursor>
#include <QIcon>

namespace dravik {

// The icon res/icons/<name>.svg; an empty icon when there is none.
QIcon DravikIcon(const char* name);
// The drag cursor: a plain transfer, or one by XModem (Shift held).
QCursor DragCursor(bool xmodem);
// The same picture for QDrag::setDragCursor, which puts the hot spot in the
// pixmap's middle: the drawing is placed so that its arrow's tip is there.
QPixmap DragCursorPixmap(bool xmodem);

}  // namespace dravik
