#include "jobs/archiving_dlg.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

#include "app/app_context.h"

namespace dravik {

CArchivingDlg::CArchivingDlg(AppContext& ctx, const std::string& name, QWidget* parent)
    : QDialog(parent), ctx_(ctx), relay_(std::make_shared<ProgressRelay>()) {
  setWindowTitle("Archiving");
  setModal(false);
  name_ = new QLabel(QString::fromStdString(name));
  count_ = new QLabel;
  count_->setMinimumWidth(60);
  cancel_ = new QPushButton("Cancel");
  auto* layout = new QGridLayout(this);
  layout->addWidget(new QLabel("Archiving:"), 0, 0);
  layout->addWidget(name_, 0, 1);
  layout->addWidget(new QLabel("Packets received:"), 1, 0);
  layout->addWidget(count_, 1, 1);
  layout->addWidget(cancel_, 2, 0, 1, 2, Qt::AlignHCenter);
  layout->setColumnStretch(1, 1);
  connect(relay_.get(), &ProgressRelay::posted, this, &CArchivingDlg::OnProgress,
          Qt::QueuedConnection);
  connect(cancel_, &QPushButton::clicked, this, &CArchivingDlg::reject);
}

CArchivingDlg::~CArchivingDlg() = default;

QString CArchivingDlg::NameText() const { return name_->text(); }
QString CArchivingDlg::CountText() const { return count_->text(); }

void CArchivingDlg::OnProgress(int code, long value) {
  if (over_) return;
  if (code == kProgressJobStarts) {
    show();
    raise();
  } else if (code == kProgressPackets) {
    count_->setText(QString::number(value));
  } else if (code == kProgressJobOver) {
    over_ = true;
    outcome_ = static_cast<JobOutcome>(value);
    done(static_cast<int>(outcome_));
  }
  emit progressShown(code, value);
}

void CArchivingDlg::reject() {
  if (over_) return;
  ctx_.line.SkipCurrent(jobId_);
  cancel_->setEnabled(false);
}

void CArchivingDlg::closeEvent(QCloseEvent* event) {
  if (!over_) {
    event->ignore();
    return;
  }
  QDialog::closeEvent(event);
}

}  // namespace dravik
