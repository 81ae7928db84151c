// CTransferDlg: the modal "File Transfer" dialog. Once shown it starts the
// job of the session's TransferJob on a worker (after preparing the
// calculator for an XModem job), shows what the link posts - the item that
// starts, packets and bytes on two bars - and lets the user skip the
// current file, skip the rest or cancel. It closes when the worker reports
// that the job is over; the job's outcome is its result.
#pragma once

#include <QDialog>
#include <QString>
#include <memory>

#include "jobs/job_worker.h"
#include "jobs/progress_relay.h"
#include "jobs/progress_scale.h"

class QLabel;
class QProgressBar;
class QPushButton;

namespace dravik {

struct AppContext;

class CTransferDlg : public QDialog {
  Q_OBJECT

 public:
  explicit CTransferDlg(AppContext& ctx, QWidget* parent = nullptr);
  ~CTransferDlg() override;

  JobOutcome Outcome() const { return outcome_; }

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
  // One post of the link: 0 packets, 1 item index, 2 bytes, 99 job over
  // (value: the JobOutcome).
  void OnProgress(int code, long value);
  // Esc and "&Cancel": the job gives up at its next check; the dialog
  // stays until the worker reports the end.
  void reject() override;

 signals:
  // A post has been shown (tests follow the job with it).
  void progressShown(int code, long value);

 protected:
  void showEvent(QShowEvent* event) override;
  // The close box is ignored while the worker runs.
  void closeEvent(QCloseEvent* event) override;

 private:
  // Clears the flags, shows the first item, prepares an XModem job and
  // starts the worker; ends the dialog at once when no worker can start.
  void OnInitDialog();
  void Finish(JobOutcome outcome);
  void SetItemText(const QString& text);
  void MeasureSizes();
  bool IsReceive() const;

  AppContext& ctx_;
  ProgressRelay relay_;
  JobWorker worker_;
  std::unique_ptr<ProgressScale> scale_;
  bool started_ = false;
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

}  // namespace dravik
