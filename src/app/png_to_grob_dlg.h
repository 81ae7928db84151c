// The options of "Convert PNG --> GROB": black and white by a threshold or
// by Floyd-Steinberg dithering, and an optional fit to the calculator's
// 131 x 64 screen, with a live preview of the result. A picture too large
// for a calculator is refused there and then, with the reason. It names the
// calculator family the GROB is made for.
#pragma once

#include <QDialog>
#include <QString>

#include "grob/picture_processing.h"
#include "hpfile/calculator_family.h"

class QCheckBox;
class QDialogButtonBox;
class QLabel;
class QRadioButton;
class QSpinBox;

namespace dravik {

class CPictureView;

class CPngToGrobDlg : public QDialog {
  Q_OBJECT

 public:
  CPngToGrobDlg(GrayPicture picture, const QString& name, CalculatorFamily family,
                QWidget* parent = nullptr);

  // The picture as it would be converted; empty while it is refused.
  const MonoPicture& result() const { return result_; }
  // Why the picture is refused; empty when it can be converted.
  const QString& refusal() const { return refusal_; }

  // The options, for tests and for the window.
  void SetDithering(bool on);
  void SetThreshold(int level);
  void SetFitToScreen(bool on);
  const CPictureView& preview() const { return *preview_; }

 private:
  // Converts again with the options as they are now.
  void Update();

  CalculatorFamily family_;
  GrayPicture original_;
  GrayPicture fitted_;  // made the first time the fit is asked for
  MonoPicture result_;
  QString refusal_;
  QRadioButton* threshold_ = nullptr;
  QRadioButton* dither_ = nullptr;
  QSpinBox* level_ = nullptr;
  QCheckBox* fit_ = nullptr;
  CPictureView* preview_ = nullptr;
  QLabel* sizeText_ = nullptr;
  QDialogButtonBox* buttons_ = nullptr;
};

}  // namespace dravik
