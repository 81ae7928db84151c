// CArchivingDlg: the modal "Archiving" dialog. Once shown it starts the
// receive of the archive the calculator sends (ctx.ArchiveName, into
// CurrentPCFolder) and counts its packets. "Cancel" and Esc ask the worker
// to stop - the calculator is told at its next data packet and the partial
// file goes - and the dialog stays until the worker reports the end, so the
// window never uses the link while the worker still does.
#pragma once

#include <QDialog>

#include "jobs/job_worker.h"
#include "jobs/progress_relay.h"

class QLabel;
class QPushButton;

namespace dravik {

struct AppContext;

class CArchivingDlg : public QDialog {
  Q_OBJECT

 public:
  explicit CArchivingDlg(AppContext& ctx, QWidget* parent = nullptr);
  ~CArchivingDlg() override;

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
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void OnInitDialog();

  AppContext& ctx_;
  ProgressRelay relay_;
  JobWorker worker_;
  bool started_ = false;
  bool over_ = false;
  JobOutcome outcome_ = JobOutcome::Failed;
  QLabel* name_ = nullptr;   // 1014
  QLabel* count_ = nullptr;  // 1013
  QPushButton* cancel_ = nullptr;
};

}  // namespace dravik
