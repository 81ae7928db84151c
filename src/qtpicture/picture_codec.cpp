#include "qtpicture/picture_codec.h"

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QImageReader>

namespace dravik {

bool DecodeGrayPicture(std::span<const uint8_t> bytes, GrayPicture* picture, std::string* error) {
  QByteArray data(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size()));
  QBuffer buffer(&data);
  QImageReader reader(&buffer);
  QImage image = reader.read();
  if (image.isNull()) {
    *error = "Not a picture that can be read (" + reader.errorString().toStdString() + ")";
    return false;
  }
  // Transparent parts over white, then grey.
  QImage flat(image.size(), QImage::Format_RGB32);
  flat.fill(Qt::white);
  {
    QImage argb = image.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < argb.height(); ++y) {
      const QRgb* in = reinterpret_cast<const QRgb*>(argb.constScanLine(y));
      QRgb* out = reinterpret_cast<QRgb*>(flat.scanLine(y));
      for (int x = 0; x < argb.width(); ++x) {
        const int a = qAlpha(in[x]);
        auto over_white = [a](int c) { return (c * a + 255 * (255 - a)) / 255; };
        out[x] = qRgb(over_white(qRed(in[x])), over_white(qGreen(in[x])), over_white(qBlue(in[x])));
      }
    }
  }
  const QImage grey = flat.convertToFormat(QImage::Format_Grayscale8);
  picture->width = static_cast<uint32_t>(grey.width());
  picture->height = static_cast<uint32_t>(grey.height());
  picture->level.resize(size_t{picture->width} * picture->height);
  for (int y = 0; y < grey.height(); ++y) {
    const uchar* row = grey.constScanLine(y);
    std::copy(row, row + grey.width(), picture->level.begin() + static_cast<ptrdiff_t>(y) * grey.width());
  }
  return true;
}

std::vector<uint8_t> EncodePng(const MonoPicture& picture) {
  QImage image(static_cast<int>(picture.width), static_cast<int>(picture.height), QImage::Format_Mono);
  image.setColor(0, qRgb(255, 255, 255));
  image.setColor(1, qRgb(0, 0, 0));
  for (uint32_t y = 0; y < picture.height; ++y)
    for (uint32_t x = 0; x < picture.width; ++x)
      image.setPixel(static_cast<int>(x), static_cast<int>(y), picture.dark[size_t{y} * picture.width + x]);
  QByteArray data;
  QBuffer buffer(&data);
  buffer.open(QIODevice::WriteOnly);
  image.save(&buffer, "PNG");
  return std::vector<uint8_t>(data.begin(), data.end());
}

}  // namespace dravik
