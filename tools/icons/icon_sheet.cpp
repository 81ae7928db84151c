// Renders every res/icons/*.svg at 16, 32 and 48 pixels with QtSvg (the
// renderer the program uses) into one contact sheet PNG, each row labelled
// with the icon's name, on a light and on a dark background.
//
//   icon_sheet ICON_DIR OUTPUT.png
//   icon_sheet --zoom ICON_DIR OUTPUT.png   (each icon at 16 px, enlarged
//                                           6 times pixel for pixel)
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>

#include <cstdio>

namespace {

QImage Render(QSvgRenderer& svg, int size) {
  QImage icon(size, size, QImage::Format_ARGB32_Premultiplied);
  icon.fill(Qt::transparent);
  QPainter p(&icon);
  svg.render(&p);
  return icon;
}

// Every icon at its own pixel size, blown up so single pixels can be judged.
int ZoomSheet(const QFileInfoList& files, const QString& out) {
  const int zoom = 6, cell = 32 * zoom + 12, perRow = 6;
  const int rows = (static_cast<int>(files.size()) + perRow - 1) / perRow;
  QImage sheet(perRow * cell, rows * (cell + 18), QImage::Format_ARGB32);
  sheet.fill(QColor("#c8ccd2"));
  QPainter p(&sheet);
  for (int i = 0; i < files.size(); ++i) {
    QSvgRenderer svg(files[i].absoluteFilePath());
    const int size = svg.viewBox().width() > 16 ? 32 : 16;
    const QImage big = Render(svg, size).scaled(size * zoom, size * zoom);
    const int x = (i % perRow) * cell + 6, y = (i / perRow) * (cell + 18) + 6;
    p.fillRect(x, y, size * zoom, size * zoom, Qt::white);
    p.drawImage(x, y, big);
    p.drawText(x, y + 32 * zoom + 14, files[i].baseName());
  }
  p.end();
  return sheet.save(out) ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  if (argc == 4 && QString::fromLocal8Bit(argv[1]) == "--zoom")
    return ZoomSheet(QDir(QString::fromLocal8Bit(argv[2])).entryInfoList({"*.svg"}, QDir::Files, QDir::Name),
                     QString::fromLocal8Bit(argv[3]));
  if (argc != 3) {
    std::fprintf(stderr, "usage: icon_sheet ICON_DIR OUTPUT.png\n");
    return 2;
  }
  const QFileInfoList files =
      QDir(QString::fromLocal8Bit(argv[1])).entryInfoList({"*.svg"}, QDir::Files, QDir::Name);
  const int sizes[] = {16, 32, 48};
  const int rowHeight = 56, labelWidth = 190, cellWidth = 64;
  const int columns = 2;  // light half and dark half
  const int perColumn = (static_cast<int>(files.size()) + columns - 1) / columns;
  const int blockWidth = labelWidth + 2 * 3 * cellWidth + 16;
  QImage sheet(columns * blockWidth, perColumn * rowHeight + 8, QImage::Format_ARGB32);
  sheet.fill(Qt::white);
  QPainter p(&sheet);
  QFont font = p.font();
  font.setPixelSize(13);
  p.setFont(font);
  for (int i = 0; i < files.size(); ++i) {
    const int bx = (i / perColumn) * blockWidth;
    const int y = (i % perColumn) * rowHeight + 4;
    if (i % 2) p.fillRect(bx, y, blockWidth - 8, rowHeight, QColor("#f3f4f6"));
    p.setPen(Qt::black);
    p.drawText(QRect(bx + 6, y, labelWidth, rowHeight), Qt::AlignVCenter, files[i].baseName());
    QSvgRenderer svg(files[i].absoluteFilePath());
    for (int half = 0; half < 2; ++half) {
      const int hx = bx + labelWidth + half * 3 * cellWidth;
      if (half) p.fillRect(hx - 4, y + 2, 3 * cellWidth, rowHeight - 4, QColor("#2b2f36"));
      for (int s = 0; s < 3; ++s) {
        // A 32x32 drawing (a cursor) is shown at its own size and twice it.
        int size = sizes[s];
        if (svg.viewBox().width() > 16) size = s == 0 ? 32 : (s == 1 ? 48 : 64);
        if (size > rowHeight - 6) size = rowHeight - 6;
        p.drawImage(hx + s * cellWidth, y + (rowHeight - size) / 2, Render(svg, size));
      }
    }
  }
  p.end();
  return sheet.save(QString::fromLocal8Bit(argv[2])) ? 0 : 1;
}
