#include "pcview/pc_file_tip.h"

#include <QBuffer>
#include <QByteArray>
#include <QImageReader>
#include <QStringList>
#include <algorithm>
#include <string_view>
#include <vector>

#include "app/picture_image.h"
#include "grob/picture_file.h"
#include "grob/picture_processing.h"
#include "hpfile/calculator_file.h"

namespace dravik {
namespace {

// Previews take at most this much room; calculator pictures are enlarged
// to fill it by a whole factor.
const QSize kPreviewBox(393, 256);
// Pictures with more pixels than this are not decoded for a preview.
constexpr qint64 kPreviewPixelLimit = 16'000'000;

QString Text(const std::string& text) { return QString::fromStdString(text).toHtmlEscaped(); }

QString PixelsLine(int width, int height) {
  return QStringLiteral("%1 \u00d7 %2 pixels").arg(width).arg(height);
}

bool EndsWithFolded(const QString& name, const char* ending) {
  return name.endsWith(QLatin1String(ending), Qt::CaseInsensitive);
}

// What InspectRows says of the file itself (its family first, for a file in
// binary form), and how many variables it holds.
QStringList CalculatorLines(const CalculatorFile& file, const QString& name) {
  const std::vector<InspectRow> rows = InspectRows(file, name.toStdString());
  const InspectRow& top = rows.front();
  QStringList lines;
  if (file.kind == CalculatorFileKind::Text) {
    lines << Text(top.note);
    return lines;
  }
  lines << Text(BinaryObjectText(file.family));
  QString line = Text(top.type);
  if (!top.size.empty())
    line += ", " + Text(top.size) + " bytes, checksum " + Text(top.checksum);
  lines << line;
  int variables = 0;
  for (const InspectRow& r : rows)
    if (r.depth > 0 && !r.type.empty()) ++variables;
  if (file.backup || variables > 0)
    lines << QStringLiteral("%1 variable%2").arg(variables).arg(variables == 1 ? "" : "s");
  if (!file.reason.empty()) lines << Text(file.reason);
  return lines;
}

// A BMP or PNG file by its name: the picture as it is.
QStringList PictureLines(const std::vector<uint8_t>& bytes, const char* kind) {
  QByteArray data(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size()));
  QBuffer buffer(&data);
  QImageReader reader(&buffer);
  const QSize size = reader.size();
  if (!size.isValid() || qint64{size.width()} * size.height() > kPreviewPixelLimit) return {};
  const QImage image = reader.read();
  if (image.isNull()) return {};
  return {QString(kind) + " picture, " + PixelsLine(image.width(), image.height()),
          ImageHtml(image, kPreviewBox)};
}

}  // namespace

QString PcFileTip(const std::string& path, const QString& name) {
  std::vector<uint8_t> bytes;
  if (ReadPictureFile(path, bytes, kTipReadLimit) != PictureReadStatus::Ok) return {};
  QStringList lines;
  const std::string_view head(reinterpret_cast<const char*>(bytes.data()), std::min<size_t>(bytes.size(), 4));
  // A file that starts like a calculator file but is none is told why.
  const bool headed = head == "HPHP" || head == "%%HP";
  const CalculatorFile file = ReadCalculatorFile(std::move(bytes));
  if (file.kind != CalculatorFileKind::NotAnObject) {
    lines = CalculatorLines(file, name);
    MonoPicture picture;
    std::string_view message;
    if (GrobFileToMono(file.bytes, &picture, &message)) {
      lines << PixelsLine(static_cast<int>(picture.width), static_cast<int>(picture.height))
            << ImageHtml(MonoImage(picture), kPreviewBox);
    }
  } else if (headed) {
    lines << Text(file.reason);
  } else if (EndsWithFolded(name, ".bmp")) {
    lines = PictureLines(file.bytes, "BMP");
  } else if (EndsWithFolded(name, ".png")) {
    lines = PictureLines(file.bytes, "PNG");
  }
  if (lines.isEmpty()) return {};
  return "<qt><b>" + name.toHtmlEscaped() + "</b><br>" + lines.join("<br>") + "</qt>";
}

}  // namespace dravik
