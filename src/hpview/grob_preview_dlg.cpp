#include "hpview/grob_preview_dlg.h"

#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>

#include "app/asked_write.h"
#include "app/picture_image.h"
#include "app/picture_view.h"
#include "qtpicture/picture_codec.h"

namespace dravik {

namespace {
// The window shows the picture enlarged to about this size; a larger
// picture is shown as it is, with scroll bars.
const QSize kShownBox(524, 400);
const QSize kLargestView(800, 560);
}  // namespace

CGrobPreviewDlg::CGrobPreviewDlg(const std::string& name, MonoPicture picture,
                                 const std::string& folder, MainWindowHandle* window,
                                 QWidget* parent)
    : QDialog(parent), name_(name), picture_(std::move(picture)), folder_(folder), window_(window) {
  setWindowTitle(QString::fromStdString("Preview - " + name_));
  const QImage image = MonoImage(picture_);
  view_ = new CPictureView;
  view_->SetPicture(image, EnlargementFactor(image.size(), kShownBox));

  auto* scroll = new QScrollArea;
  scroll->setWidget(view_);
  scroll->setAlignment(Qt::AlignCenter);
  scroll->setFrameShape(QFrame::NoFrame);
  const QSize room = view_->sizeHint().boundedTo(kLargestView);
  scroll->setMinimumSize(room + QSize(4, 4));

  auto* info = new QLabel(QStringLiteral("%1: Graphic %2 \u00d7 %3")
                              .arg(QString::fromStdString(name_))
                              .arg(picture_.width)
                              .arg(picture_.height));
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close);
  QPushButton* save = buttons->addButton("&Save as PNG...", QDialogButtonBox::ActionRole);
  save->setToolTip("Save the picture as a black and white PNG file");
  connect(save, &QPushButton::clicked, this, &CGrobPreviewDlg::OnSaveAsPng);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(scroll, 1);
  layout->addWidget(info);
  layout->addWidget(buttons);
}

bool CGrobPreviewDlg::SaveAsPng(const std::string& path) {
  if (WriteAsking(window_, path, EncodePng(picture_)) != AskedWrite::Written) return false;
  if (saved) saved(path);
  return true;
}

void CGrobPreviewDlg::OnSaveAsPng() {
  // The question before replacing a file is SaveAsPng's, as for every
  // file Dravik writes.
  const QString file = QFileDialog::getSaveFileName(
      this, "Save as PNG", QString::fromStdString(folder_ + name_ + ".png"),
      "PNG pictures (*.png)", nullptr, QFileDialog::DontConfirmOverwrite);
  if (!file.isEmpty()) SaveAsPng(file.toStdString());
}

}  // namespace dravik
