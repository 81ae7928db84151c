#include "app/picture_view.h"

#include <QPainter>

namespace dravik {

namespace {
constexpr int kBorder = 1;  // a line around the picture: its white edges show
}

CPictureView::CPictureView(QWidget* parent) : QWidget(parent) {
  setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void CPictureView::SetPicture(const QImage& image, int factor) {
  image_ = image;
  factor_ = std::max(1, factor);
  updateGeometry();
  resize(sizeHint());
  update();
}

QSize CPictureView::sizeHint() const {
  return image_.size() * factor_ + QSize(2 * kBorder, 2 * kBorder);
}

void CPictureView::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
  painter.setPen(palette().color(QPalette::Mid));
  painter.drawRect(rect().adjusted(0, 0, -1, -1));
  if (!image_.isNull())
    painter.drawImage(QRect(QPoint(kBorder, kBorder), image_.size() * factor_), image_);
}

}  // namespace dravik
