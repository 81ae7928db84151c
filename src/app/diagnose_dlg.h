// CDiagnoseDlg: the "Diagnose" dialog of the communication settings and of
// the no-response message. It runs the connection doctor for a port slot's
// device on a thread of its own and shows each finding as it comes, one line
// each with its severity's icon; the window stays responsive meanwhile. The
// checks take up to about eight seconds when nothing answers and cannot be
// stopped half-way, so the dialog closes once they are over.
#pragma once

#include <QDialog>
#include <QStringList>
#include <thread>

#include "diagnose/connection_doctor.h"

class QLabel;
class QListWidget;
class QPushButton;

namespace dravik {

struct AppContext;
struct Session;

class CDiagnoseDlg : public QDialog {
  Q_OBJECT

 public:
  // The device must not be held open by this program meanwhile.
  explicit CDiagnoseDlg(const DoctorRequest& request, QWidget* parent = nullptr);
  ~CDiagnoseDlg() override;

  bool ChecksOver() const { return over_; }
  QString Heading() const;
  // The findings shown so far: "ok: ...", "warning: ...", "problem: ...".
  QStringList FindingTexts() const;
  QListWidget* FindingList() const { return list_; }
  QPushButton* CloseButton() const { return close_; }

  void reject() override;  // refused while the checks run

 signals:
  void checksOver();

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void Start();
  void AddFinding(const Finding& finding);
  void OnChecksOver();

  DoctorRequest request_;
  std::thread thread_;
  bool started_ = false;
  bool over_ = false;
  int problems_ = 0;
  int warnings_ = 0;
  QLabel* heading_ = nullptr;
  QListWidget* list_ = nullptr;
  QPushButton* close_ = nullptr;
};

// The doctor's request for the session's port slot, devices and speed.
DoctorRequest DoctorRequestFor(const Session& session);

// Shows the dialog modally for the session's settings, over parent or the
// dialog that is modal now. It is offered where the link has closed the
// port (the settings dialog, the no-response message).
void RunDiagnoseDialog(AppContext& ctx, QWidget* parent);

}  // namespace dravik
