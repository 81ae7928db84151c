#include "jobs/transfer_dlg.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <climits>
#include <filesystem>

#include "app/app_context.h"

namespace dravik {

void ShowOnBar(QProgressBar* bar, const BarPosition& position) {
  // An empty range would make the bar a busy indicator.
  if (position.maximum <= 0) {
    bar->setRange(0, 1);
    bar->setValue(0);
    return;
  }
  const int64_t divisor = position.maximum / INT_MAX + 1;
  bar->setRange(0, static_cast<int>(position.maximum / divisor));
  bar->setValue(static_cast<int>(position.value / divisor));
}

CTransferDlg::CTransferDlg(AppContext& ctx, QWidget* parent) : QDialog(parent), ctx_(ctx), worker_(ctx) {
  setWindowTitle("File Transfer");
  itemLabel_ = new QLabel;
  itemLabel_->setMinimumWidth(380);
  itemLabel_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
  packetLabel_ = new QLabel;
  currentBar_ = new QProgressBar;
  allBar_ = new QProgressBar;
  for (QProgressBar* bar : {currentBar_, allBar_}) ShowOnBar(bar, {});
  skipAll_ = new QPushButton("Skip &all Files");
  skipCurrent_ = new QPushButton("Skip &current file");
  cancel_ = new QPushButton("&Cancel");
  // Enter must not skip or cancel a transfer by accident.
  for (QPushButton* b : {skipAll_, skipCurrent_, cancel_}) b->setAutoDefault(false);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(itemLabel_);
  layout->addWidget(packetLabel_);
  layout->addWidget(currentBar_);
  layout->addSpacing(6);
  layout->addWidget(new QLabel("All Files:"));
  layout->addWidget(allBar_);
  layout->addSpacing(6);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(skipAll_);
  buttons->addWidget(skipCurrent_);
  buttons->addStretch();
  buttons->addWidget(cancel_);
  layout->addLayout(buttons);

  connect(&relay_, &ProgressRelay::posted, this, &CTransferDlg::OnProgress, Qt::QueuedConnection);
  connect(skipAll_, &QPushButton::clicked, this, [this] { worker_.SkipAll(); });
  connect(skipCurrent_, &QPushButton::clicked, this, [this] { worker_.SkipCurrent(); });
  connect(cancel_, &QPushButton::clicked, this, &CTransferDlg::reject);
  if (IsReceive()) skipCurrent_->setEnabled(false);
}

CTransferDlg::~CTransferDlg() {
  // Normally the worker is over by now. If not, it must not outlive the
  // dialog it posts to, nor wait for a message box nobody can show.
  if (worker_.Running()) {
    worker_.Cancel();
    while (!worker_.Finished()) QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    worker_.Join();
  }
  if (ctx_.session.ProgressWindow.load() == &relay_) ctx_.session.ProgressWindow = nullptr;
  ctx_.JobRunning = false;
}

bool CTransferDlg::IsReceive() const { return ctx_.session.Job.ReceiveJobActive; }

QString CTransferDlg::PacketText() const { return packetLabel_->text(); }

void CTransferDlg::SetItemText(const QString& text) {
  itemText_ = text;
  itemLabel_->setToolTip(text);
  // A long path keeps its start and its file name.
  const int width = std::max(itemLabel_->width(), itemLabel_->minimumWidth());
  itemLabel_->setText(itemLabel_->fontMetrics().elidedText(text, Qt::ElideMiddle, width));
}

void CTransferDlg::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (started_) return;
  started_ = true;
  // After the dialog has painted: the XModem preparation talks to the
  // calculator for a while.
  QTimer::singleShot(0, this, &CTransferDlg::OnInitDialog);
}

void CTransferDlg::MeasureSizes() {
  TransferJob& job = ctx_.session.Job;
  if (!job.TransferSizes.empty() && job.TransferSizes[0] != 0 &&
      job.TransferSizes.size() >= job.TransferList.size())
    return;
  job.TransferSizes.assign(job.TransferList.size(), 0);
  for (size_t i = 0; i < job.TransferList.size(); ++i) {
    std::error_code error;
    const auto size = std::filesystem::file_size(job.TransferList[i], error);
    if (!error) job.TransferSizes[i] = static_cast<uint32_t>(std::min<uintmax_t>(size, UINT32_MAX));
  }
}

void CTransferDlg::OnInitDialog() {
  TransferJob& job = ctx_.session.Job;
  const bool receive = IsReceive();
  if (!job.TransferList.empty())
    SetItemText((job.UseXModem ? "XModem: " : "") + QString::fromStdString(job.TransferList[0]));
  ctx_.session.ProgressWindow = &relay_;
  if (!receive) MeasureSizes();
  // The calculator loads its XModem program and waits for EVAL; the list
  // may lose entries it refuses.
  if (job.UseXModem && !ctx_.kermit.PrepareXModemJob(!receive, &ctx_.cache)) {
    Finish(JobOutcome::Failed);
    return;
  }
  job.TransferSizes.resize(job.TransferList.size(), 0);
  scale_ = std::make_unique<ProgressScale>(job.TransferSizes, receive && !ctx_.session.BinaryMode);
  ctx_.JobRunning = true;
  worker_.Start(receive ? JobWorker::Kind::Receive : JobWorker::Kind::Send);
}

void CTransferDlg::OnProgress(int code, long value) {
  if (over_) return;
  const TransferJob& job = ctx_.session.Job;
  switch (code) {
    case kProgressPackets:
      packetLabel_->setText((IsReceive() ? QStringLiteral("Packets received: %1")
                                         : QStringLiteral("Packets sent: %1"))
                                .arg(value));
      break;
    case kProgressItem: {
      const char* prefix = IsReceive() ? (job.UseXModem ? "Receiving File (XModem): "
                                                        : "Receiving File: ")
                                       : (job.UseXModem ? "Sending File (XModem): "
                                                        : "Sending File: ");
      const bool known = value >= 0 && static_cast<size_t>(value) < job.TransferList.size();
      SetItemText(prefix + (known ? QString::fromStdString(job.TransferList[value]) : QString()));
      if (scale_) {
        scale_->ItemStarts(value);
        ShowOnBar(allBar_, scale_->All());
        ShowOnBar(currentBar_, scale_->Current());
      }
      break;
    }
    case kProgressBytes:
      if (scale_) {
        scale_->BytesDone(value);
        ShowOnBar(currentBar_, scale_->Current());
        ShowOnBar(allBar_, scale_->All());
      }
      break;
    case kProgressJobOver:
      Finish(static_cast<JobOutcome>(value));
      break;
    default:
      break;
  }
  emit progressShown(code, value);
}

void CTransferDlg::Finish(JobOutcome outcome) {
  over_ = true;
  worker_.Join();
  ctx_.session.ProgressWindow = nullptr;
  ctx_.JobRunning = false;
  outcome_ = outcome;
  done(static_cast<int>(outcome_));
}

void CTransferDlg::reject() {
  if (over_) return;
  if (!worker_.Running()) return;  // still preparing: nothing to cancel yet
  worker_.Cancel();
  // The request is taken; the job ends at the protocol's next check.
  for (QPushButton* b : {skipAll_, skipCurrent_, cancel_}) b->setEnabled(false);
}

void CTransferDlg::closeEvent(QCloseEvent* event) {
  if (!over_) {
    event->ignore();
    return;
  }
  QDialog::closeEvent(event);
}

}  // namespace dravik
