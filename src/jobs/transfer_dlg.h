// CTransferDlg: the "File Transfer" dialog of one file job. It stays hidden
// while the job waits its turn on the line and shows once the job starts;
// it shows what the link posts - the item that starts, packets and bytes on
// two bars - and lets the user skip the current file, skip the rest or
// cancel. It closes when the job is over. It is not modal: the window stays
// usable while the job runs.
#pragma once

#include <QDialog>
#include <QString>
#include <memory>

#include "jobs/progress_relay.h"
#include "jobs/progress_scale.h"
#include "jobs/transfer_job.h"

class QLabel;
class QProgressBar;
class QPushButton;

namespace dravik {

struct AppContext;

class CTransferDlg : public QDialog {
  Q_OBJECT

 public:
  // job: the job as asked for; binary: the calculator sends in binary form
  // (a receive in text form is scaled on the bars).
  CTransferDlg(AppContext& ctx, const TransferJob& job, bool binary, QWidget* parent = nullptr);
  ~CTransferDlg() override;

  // The line operation that runs the job: skip and cancel go there.
  void Attach(uint64_t id) { jobId_ = id; }
  // Where the link posts the job's progress; shared with the operation,
  // which may still post while the dialog goes.
  std::shared_ptr<ProgressRelay> Relay() const { return relay_; }
  JobOutcome Outcome() const { return outcome_; }
  bool Over() const { return over_; }

  // What the dialog shows: the item line (whole, the label may elide it),
  // the packet line, the bars of the current file and of all files, and
  // the three buttons.
  QString ItemText() const { return itemText_; }
  QString PacketText() const;
  QProgressBar* CurrentBar() const { return currentBar_; }
  QProgressBar* AllBar() const { return allBar_; }
  QPushButton* SkipAllButton() const { return skipAll_; }
  QPushButton* SkipCurrentButton() const { return skipCurrent_; }
  QPushButton* CancelButton() const { return cancel_; }

 public slots:
  // One post of the link: 98 the job starts, 0 packets, 1 item index,
  // 2 bytes, 99 job over (value: the JobOutcome).
  void OnProgress(int code, long value);
  // The job's items as the calculator took them (an XModem job).
  void OnItems(const QStringList& items, const QList<quint32>& sizes);
  // Esc and "&Cancel": the job gives up at its next check; the dialog
  // stays until the job is over.
  void reject() override;

 signals:
  // A post has been shown (tests follow the job with it).
  void progressShown(int code, long value);

 protected:
  // The close box is ignored while the job runs.
  void closeEvent(QCloseEvent* event) override;

 private:
  // The job starts: the dialog shows with its first item.
  void Start();
  void Finish(JobOutcome outcome);
  void SetItemText(const QString& text);
  bool IsReceive() const { return job_.ReceiveJobActive; }

  AppContext& ctx_;
  TransferJob job_;
  bool binary_ = false;
  uint64_t jobId_ = 0;
  std::shared_ptr<ProgressRelay> relay_;
  std::unique_ptr<ProgressScale> scale_;
  bool over_ = false;
  JobOutcome outcome_ = JobOutcome::Failed;
  QString itemText_;
  QLabel* itemLabel_ = nullptr;    // 1012
  QLabel* packetLabel_ = nullptr;  // 1013
  QProgressBar* currentBar_ = nullptr;  // 1009
  QProgressBar* allBar_ = nullptr;      // 1011
  QPushButton* skipAll_ = nullptr;      // 1014
  QPushButton* skipCurrent_ = nullptr;  // 1010
  QPushButton* cancel_ = nullptr;       // 1015
};

// Shows a position of any size on a bar, whose range is an int.
void ShowOnBar(QProgressBar* bar, const BarPosition& position);
// The byte sizes of a send's files, when the job's first is not known.
void MeasureSizes(TransferJob& job);

}  // namespace dravik
