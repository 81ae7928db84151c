#include "app/picture_image.h"

#include <QBuffer>
#include <QByteArray>
#include <algorithm>

namespace dravik {

QImage MonoImage(const MonoPicture& picture) {
  QImage image(static_cast<int>(picture.width), static_cast<int>(picture.height),
               QImage::Format_Mono);
  image.setColor(0, qRgb(255, 255, 255));
  image.setColor(1, qRgb(0, 0, 0));
  image.fill(0);
  for (uint32_t y = 0; y < picture.height; ++y) {
    const uint8_t* dark = picture.dark.data() + size_t{y} * picture.width;
    for (uint32_t x = 0; x < picture.width; ++x)
      if (dark[x]) image.setPixel(static_cast<int>(x), static_cast<int>(y), 1);
  }
  return image;
}

int EnlargementFactor(QSize picture, QSize box, int maxFactor) {
  if (picture.isEmpty()) return 1;
  const int fit = std::min(box.width() / picture.width(), box.height() / picture.height());
  return std::clamp(fit, 1, maxFactor);
}

QString ImageHtml(const QImage& image, QSize box) {
  QImage shown;
  if (image.width() > box.width() || image.height() > box.height()) {
    shown = image.convertToFormat(QImage::Format_RGB32)
                .scaled(box, Qt::KeepAspectRatio, Qt::SmoothTransformation);
  } else {
    const int factor = EnlargementFactor(image.size(), box);
    shown = image.scaled(image.size() * factor, Qt::IgnoreAspectRatio, Qt::FastTransformation);
  }
  QByteArray png;
  QBuffer buffer(&png);
  buffer.open(QIODevice::WriteOnly);
  shown.save(&buffer, "PNG");
  return QStringLiteral("<img src=\"data:image/png;base64,%1\" width=\"%2\" height=\"%3\">")
      .arg(QString::fromLatin1(png.toBase64()))
      .arg(shown.width())
      .arg(shown.height());
}

}  // namespace dravik
