#include "jobs/transfer_dlg.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <climits>
#include <filesystem>

#include "app/app_context.h"
#include "link/calculator_model.h"
#include "link/runner_texts.h"

namespace dravik {
namespace {

// What the status bar says while an item of the job moves: "Sending QF3 (2
// of 3)", "Receiving PIC".
std::string ItemStatus(const TransferJob& job, bool receive, size_t index) {
  const std::string& item = job.TransferList[index];
  std::string text = (receive ? "Receiving " : "Sending ") + item.substr(item.rfind('/') + 1);
  if (job.UseXModem) text += " by XModem";
  if (job.TransferList.size() > 1)
    text += " (" + std::to_string(index + 1) + " of " +
            std::to_string(job.TransferList.size()) + ")";
  return text;
}

}  // namespace

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

CTransferDlg::CTransferDlg(AppContext& ctx, const TransferJob& job, bool binary, QWidget* parent)
    : QDialog(parent), ctx_(ctx), job_(job), binary_(binary),
      relay_(std::make_shared<ProgressRelay>()) {
  setWindowTitle("File Transfer");
  setModal(false);
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

  connect(relay_.get(), &ProgressRelay::posted, this, &CTransferDlg::OnProgress,
          Qt::QueuedConnection);
  connect(relay_.get(), &ProgressRelay::itemsPosted, this, &CTransferDlg::OnItems,
          Qt::QueuedConnection);
  connect(skipAll_, &QPushButton::clicked, this, [this] { ctx_.line.SkipAll(jobId_); });
  connect(skipCurrent_, &QPushButton::clicked, this, [this] { ctx_.line.SkipCurrent(jobId_); });
  connect(cancel_, &QPushButton::clicked, this, &CTransferDlg::reject);
  if (IsReceive()) skipCurrent_->setEnabled(false);
  job_.TransferSizes.resize(job_.TransferList.size(), 0);
  scale_ = std::make_unique<ProgressScale>(job_.TransferSizes, IsReceive() && !binary_);
}

CTransferDlg::~CTransferDlg() = default;

QString CTransferDlg::PacketText() const { return packetLabel_->text(); }

void CTransferDlg::SetItemText(const QString& text) {
  itemText_ = text;
  itemLabel_->setToolTip(text);
  // A long path keeps its start and its file name.
  const int width = std::max(itemLabel_->width(), itemLabel_->minimumWidth());
  itemLabel_->setText(itemLabel_->fontMetrics().elidedText(text, Qt::ElideMiddle, width));
}

void MeasureSizes(TransferJob& job) {
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

void CTransferDlg::Start() {
  if (!job_.TransferList.empty())
    SetItemText((job_.UseXModem ? "XModem: " : "") + QString::fromStdString(job_.TransferList[0]));
  show();
  raise();
}

void CTransferDlg::OnItems(const QStringList& items, const QList<quint32>& sizes) {
  job_.TransferList.clear();
  for (const QString& item : items) job_.TransferList.push_back(item.toStdString());
  job_.TransferSizes.assign(sizes.begin(), sizes.end());
  job_.TransferSizes.resize(job_.TransferList.size(), 0);
  scale_ = std::make_unique<ProgressScale>(job_.TransferSizes, IsReceive() && !binary_);
  // The calculator's XModem program waits for the user: its EVAL key, or
  // its name typed where the stack does not survive.
  const CalculatorModel& model = ctx_.session.Model ? *ctx_.session.Model : Hp48GxModel();
  packetLabel_->setText(QString::fromStdString(StartText(model, "transfer")));
}

void CTransferDlg::OnProgress(int code, long value) {
  if (over_) return;
  switch (code) {
    case kProgressJobStarts:
      Start();
      break;
    case kProgressPackets:
      packetLabel_->setText((IsReceive() ? QStringLiteral("Packets received: %1")
                                         : QStringLiteral("Packets sent: %1"))
                                .arg(value));
      break;
    case kProgressItem: {
      const char* prefix = IsReceive() ? (job_.UseXModem ? "Receiving File (XModem): "
                                                         : "Receiving File: ")
                                       : (job_.UseXModem ? "Sending File (XModem): "
                                                         : "Sending File: ");
      const bool known = value >= 0 && static_cast<size_t>(value) < job_.TransferList.size();
      SetItemText(prefix + (known ? QString::fromStdString(job_.TransferList[value]) : QString()));
      if (known && ctx_.session.MainWindow)
        ctx_.session.MainWindow->SetStatusText(
            ItemStatus(job_, IsReceive(), static_cast<size_t>(value)));
      scale_->ItemStarts(value);
      ShowOnBar(allBar_, scale_->All());
      ShowOnBar(currentBar_, scale_->Current());
      break;
    }
    case kProgressRetry:
      packetLabel_->setText(QStringLiteral("No answer, trying again: %1 of %2")
                                .arg(value)
                                .arg(kMaxReplyTries));
      break;
    case kProgressBytes:
      scale_->BytesDone(value);
      ShowOnBar(currentBar_, scale_->Current());
      ShowOnBar(allBar_, scale_->All());
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
  outcome_ = outcome;
  done(static_cast<int>(outcome_));
}

void CTransferDlg::reject() {
  if (over_) return;
  ctx_.line.Cancel(jobId_);
  // The request is taken; the job ends at the protocol's next check.
  for (QPushButton* b : {skipAll_, skipCurrent_, cancel_}) b->setEnabled(false);
  packetLabel_->setText("Cancelling...");
}

void CTransferDlg::closeEvent(QCloseEvent* event) {
  if (!over_) {
    event->ignore();
    return;
  }
  QDialog::closeEvent(event);
}

}  // namespace dravik
