#include "app/icons.h"

#include <QFile>
#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>

namespace dravik {

QIcon DravikIcon(const char* name) {
  const QString path = QStringLiteral(":/icons/%1.svg").arg(QLatin1String(name));
  if (!QFile::exists(path)) return QIcon();
  return QIcon(path);
}

QPixmap DragCursorPixmap(bool xmodem) {
  const QIcon icon = DravikIcon(xmodem ? "cursor_drag_xmodem" : "cursor_drag");
  qreal ratio = 1.0;
  if (QGuiApplication::primaryScreen()) ratio = QGuiApplication::primaryScreen()->devicePixelRatio();
  QPixmap pixmap = icon.pixmap(QSize(32, 32), ratio);
  return pixmap;
}

QCursor DragCursor(bool xmodem) {
  const QPixmap pixmap = DragCursorPixmap(xmodem);
  if (pixmap.isNull()) return QCursor(xmodem ? Qt::DragMoveCursor : Qt::DragCopyCursor);
  // The arrow's tip is the drawing's top left corner.
  return QCursor(pixmap, 0, 0);
}

}  // namespace dravik
