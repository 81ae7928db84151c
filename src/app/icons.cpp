#include "app/icons.h"

#include <QFile>
#include <QGuiApplication>
#include <QPainter>
#include <QPixmap>
#include <QScreen>

namespace dravik {

QIcon DravikIcon(const char* name) {
  const QString path = QStringLiteral(":/icons/%1.svg").arg(QLatin1String(name));
  if (!QFile::exists(path)) return QIcon();
  return QIcon(path);
}

namespace {

// The cursor drawing, 32 by 32, the arrow's tip at its top left corner.
QPixmap CursorDrawing(bool xmodem) {
  const QIcon icon = DravikIcon(xmodem ? "cursor_drag_xmodem" : "cursor_drag");
  qreal ratio = 1.0;
  if (QGuiApplication::primaryScreen()) ratio = QGuiApplication::primaryScreen()->devicePixelRatio();
  return icon.pixmap(QSize(32, 32), ratio);
}

}  // namespace

QPixmap DragCursorPixmap(bool xmodem) {
  const QPixmap drawing = CursorDrawing(xmodem);
  if (drawing.isNull()) return drawing;
  // QDrag makes the middle of a cursor pixmap its hot spot and offers no
  // other, so the drawing goes into the lower right quarter of a pixmap
  // twice its size: the arrow's tip is then where the drop lands.
  QPixmap padded(drawing.size() * 2);
  padded.setDevicePixelRatio(drawing.devicePixelRatio());
  padded.fill(Qt::transparent);
  QPainter painter(&padded);
  painter.drawPixmap(QPointF(32, 32), drawing);
  painter.end();
  return padded;
}

QCursor DragCursor(bool xmodem) {
  const QPixmap pixmap = CursorDrawing(xmodem);
  if (pixmap.isNull()) return QCursor(xmodem ? Qt::DragMoveCursor : Qt::DragCopyCursor);
  // The arrow's tip is the drawing's top left corner.
  return QCursor(pixmap, 0, 0);
}

}  // namespace dravik
