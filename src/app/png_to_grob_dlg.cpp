#include "app/png_to_grob_dlg.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QSpinBox>
#include <QVBoxLayout>

#include "app/picture_image.h"
#include "app/picture_view.h"

namespace dravik {

namespace {
// The preview shows the result enlarged to about this size.
const QSize kPreviewBox(393, 256);
}  // namespace

CPngToGrobDlg::CPngToGrobDlg(GrayPicture picture, const QString& name, CalculatorFamily family,
                             QWidget* parent)
    : QDialog(parent), family_(family), original_(std::move(picture)) {
  setWindowTitle("Convert PNG --> GROB");

  threshold_ = new QRadioButton("&Threshold");
  threshold_->setToolTip("Pixels darker than the level become black");
  level_ = new QSpinBox;
  level_->setRange(1, 255);
  level_->setValue(128);
  level_->setToolTip("Grey level from 1 to 255; darker pixels become black");
  dither_ = new QRadioButton("Floyd\u2013Steinberg &dithering");
  dither_->setToolTip("Shades of grey become patterns of black and white pixels");
  threshold_->setChecked(true);
  fit_ = new QCheckBox(QStringLiteral("&Fit to the %1 \u00d7 %2 screen").arg(kScreenWidth).arg(kScreenHeight));
  fit_->setToolTip("Shrink the picture, keeping its proportions, to fit the calculator's screen");

  auto* thresholdRow = new QHBoxLayout;
  thresholdRow->addWidget(threshold_);
  thresholdRow->addWidget(level_);
  thresholdRow->addStretch(1);

  preview_ = new CPictureView;
  auto* scroll = new QScrollArea;
  scroll->setWidget(preview_);
  scroll->setAlignment(Qt::AlignCenter);
  scroll->setMinimumSize(kPreviewBox + QSize(8, 8));
  sizeText_ = new QLabel;
  sizeText_->setWordWrap(true);

  buttons_ = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
  buttons_->button(QDialogButtonBox::Ok)->setText("&Convert");
  connect(buttons_, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons_, &QDialogButtonBox::rejected, this, &QDialog::reject);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(new QLabel(QStringLiteral("%1: %2 \u00d7 %3 pixels")
                                   .arg(name.toHtmlEscaped())
                                   .arg(original_.width)
                                   .arg(original_.height)));
  layout->addLayout(thresholdRow);
  layout->addWidget(dither_);
  layout->addWidget(fit_);
  layout->addWidget(scroll, 1);
  layout->addWidget(sizeText_);
  layout->addWidget(buttons_);

  connect(threshold_, &QRadioButton::toggled, this, [this] { Update(); });
  connect(level_, &QSpinBox::valueChanged, this, [this] { Update(); });
  connect(fit_, &QCheckBox::toggled, this, [this] { Update(); });
  Update();
}

void CPngToGrobDlg::SetDithering(bool on) { (on ? dither_ : threshold_)->setChecked(true); }
void CPngToGrobDlg::SetThreshold(int level) { level_->setValue(level); }
void CPngToGrobDlg::SetFitToScreen(bool on) { fit_->setChecked(on); }

void CPngToGrobDlg::Update() {
  level_->setEnabled(threshold_->isChecked());
  if (fit_->isChecked() && fitted_.level.empty()) fitted_ = FitWithin(original_);
  const GrayPicture& source = fit_->isChecked() ? fitted_ : original_;
  result_ = {};
  refusal_.clear();
  if (!FitsInCalculator(source.width, source.height)) {
    // Not even made: dithering a picture that large would only hold the
    // window up.
    refusal_ = QStringLiteral("%1 (%2 \u00d7 %3 pixels). \"Fit to the screen\" shrinks it.")
                   .arg(QString::fromUtf8(kMsgTooLargeForCalculator.data(),
                                          static_cast<qsizetype>(kMsgTooLargeForCalculator.size())))
                   .arg(source.width)
                   .arg(source.height);
    preview_->SetPicture(QImage(), 1);
    sizeText_->setText("<font color=\"#b00000\">" + refusal_.toHtmlEscaped() + "</font>");
  } else {
    result_ = dither_->isChecked() ? Dither(source)
                                   : Threshold(source, static_cast<uint8_t>(level_->value()));
    const QImage image = MonoImage(result_);
    preview_->SetPicture(image, EnlargementFactor(image.size(), kPreviewBox));
    sizeText_->setText(QStringLiteral("%1 GROB of %2 \u00d7 %3 pixels")
                           .arg(QString::fromUtf8(FamilyName(family_).data(),
                                                  static_cast<qsizetype>(FamilyName(family_).size())))
                           .arg(result_.width)
                           .arg(result_.height));
  }
  buttons_->button(QDialogButtonBox::Ok)->setEnabled(refusal_.isEmpty());
}

}  // namespace dravik
