#include "jobs/archiving_dlg.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

#include "app/app_context.h"

namespace dravik {

CArchivingDlg::CArchivingDlg(AppContext& ctx, QWidget* parent) : QDialog(parent), ctx_(ctx), worker_(ctx) {
  setWindowTitle("Archiving");
  name_ = new QLabel(QString::fromStdString(ctx_.ArchiveName));
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
  connect(&relay_, &ProgressRelay::posted, this, &CArchivingDlg::OnProgress,
          Qt::QueuedConnection);
  connect(cancel_, &QPushButton::clicked, this, &CArchivingDlg::reject);
}

CArchivingDlg::~CArchivingDlg() {
  if (worker_.Running()) {
    worker_.Cancel();
    while (!worker_.Finished()) QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    worker_.Join();
  }
  if (ctx_.session.ProgressWindow.load() == &relay_) ctx_.session.ProgressWindow = nullptr;
  ctx_.JobRunning = false;
}

QString CArchivingDlg::NameText() const { return name_->text(); }
QString CArchivingDlg::CountText() const { return count_->text(); }

void CArchivingDlg::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (started_) return;
  started_ = true;
  QTimer::singleShot(0, this, &CArchivingDlg::OnInitDialog);
}

void CArchivingDlg::OnInitDialog() {
  ctx_.session.ProgressWindow = &relay_;
  ctx_.JobRunning = true;
  worker_.Start(JobWorker::Kind::Archive);
}

void CArchivingDlg::OnProgress(int code, long value) {
  if (over_) return;
  if (code == kProgressPackets) {
    count_->setText(QString::number(value));
  } else if (code == kProgressJobOver) {
    over_ = true;
    worker_.Join();
    ctx_.session.ProgressWindow = nullptr;
    ctx_.JobRunning = false;
    outcome_ = static_cast<JobOutcome>(value);
    done(static_cast<int>(outcome_));
  }
  emit progressShown(code, value);
}

void CArchivingDlg::reject() {
  if (over_ || !worker_.Running()) return;
  worker_.SkipCurrent();
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
