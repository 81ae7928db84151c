// A calculator picture shown enlarged by a whole factor, every calculator
// pixel a sharp square: the image is drawn without smoothing, so on a
// high-DPI screen too each pixel covers whole device pixels.
#pragma once

#include <QImage>
#include <QWidget>

namespace dravik {

class CPictureView : public QWidget {
  Q_OBJECT

 public:
  explicit CPictureView(QWidget* parent = nullptr);

  void SetPicture(const QImage& image, int factor);
  const QImage& image() const { return image_; }
  int factor() const { return factor_; }
  QSize sizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QImage image_;
  int factor_ = 1;
};

}  // namespace dravik
