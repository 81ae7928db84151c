// CArchivingDlg: the "Archiving" dialog of the archive receive (the archive
// the calculator sends under ctx.ArchiveName, into CurrentPCFolder). It shows
// once the job starts on the line and counts its packets. "Cancel" and Esc
// stop the archive - the calculator is told at its next data packet and the
// partial file goes - and the dialog stays until the job is over.
#pragma once

#include <QDialog>
#include <memory>

#include "jobs/progress_relay.h"
#include "jobs/transfer_job.h"

class QLabel;
class QPushButton;

namespace dravik {

struct AppContext;

class CArchivingDlg : public QDialog {
  Q_OBJECT

 public:
  CArchivingDlg(AppContext& ctx, const std::string& name, QWidget* parent = nullptr);
  ~CArchivingDlg() override;

  // The line operation that runs the archive: Cancel stops it.
  void Attach(uint64_t id) { jobId_ = id; }
  std::shared_ptr<ProgressRelay> Relay() const { return relay_; }
  JobOutcome Outcome() const { return outcome_; }
  QString NameText() const;
  QString CountText() const;
  QPushButton* CancelButton() const { return cancel_; }

 public slots:
  void OnProgress(int code, long value);
  // "Cancel" and Esc: stop the archive; the dialog closes at the job's end.
  void reject() override;

 signals:
  void progressShown(int code, long value);

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  AppContext& ctx_;
  uint64_t jobId_ = 0;
  std::shared_ptr<ProgressRelay> relay_;
  bool over_ = false;
  JobOutcome outcome_ = JobOutcome::Failed;
  QLabel* name_ = nullptr;   // 1014
  QLabel* count_ = nullptr;  // 1013
  QPushButton* cancel_ = nullptr;
};

}  // namespace dravik
