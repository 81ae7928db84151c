#include "app/diagnose_dlg.h"

#include <QApplication>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/app_context.h"
#include "app/icons.h"
#include "platform/port_slots.h"

namespace dravik {
namespace {

const char* IconFor(Severity severity) {
  switch (severity) {
    case Severity::Ok: return "state_ok";
    case Severity::Warning: return "state_warning";
    case Severity::Problem: return "state_problem";
  }
  return "";
}

QString Count(int n, const char* one, const char* many) {
  return QString::number(n) + " " + (n == 1 ? one : many);
}

}  // namespace

DoctorRequest DoctorRequestFor(const Session& session) {
  DoctorRequest request;
  request.port = session.Settings.PortNumber;
  request.port_devices = session.PortDevices;
  request.baud = session.Settings.BaudRate;
  request.how_to_choose = "in File > Comm Settings";
  return request;
}

CDiagnoseDlg::CDiagnoseDlg(const DoctorRequest& request, QWidget* parent)
    : QDialog(parent), request_(request) {
  setWindowTitle("Diagnose");
  const std::string device = request_.device.empty()
                                 ? DeviceForSlot(request_.port, request_.port_devices)
                                 : request_.device;
  const QString where = QStringLiteral("COM%1").arg(request_.port) +
                        (device.empty() ? QString() : " (" + QString::fromStdString(device) + ")");
  heading_ = new QLabel(QStringLiteral("Checking the connection on %1 at %2 baud...")
                            .arg(where)
                            .arg(request_.baud));
  heading_->setWordWrap(true);
  list_ = new QListWidget;
  list_->setWordWrap(true);
  list_->setTextElideMode(Qt::ElideNone);
  list_->setResizeMode(QListView::Adjust);
  list_->setSelectionMode(QAbstractItemView::NoSelection);
  list_->setFocusPolicy(Qt::NoFocus);
  list_->setSpacing(3);
  close_ = new QPushButton("Close");
  close_->setEnabled(false);
  close_->setDefault(true);
  connect(close_, &QPushButton::clicked, this, &QDialog::accept);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(close_);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(heading_);
  layout->addWidget(list_, 1);
  layout->addLayout(buttons);
  resize(620, 340);
}

CDiagnoseDlg::~CDiagnoseDlg() {
  if (thread_.joinable()) thread_.join();
}

QString CDiagnoseDlg::Heading() const { return heading_->text(); }

QStringList CDiagnoseDlg::FindingTexts() const {
  QStringList texts;
  for (int i = 0; i < list_->count(); ++i) texts << list_->item(i)->data(Qt::UserRole).toString();
  return texts;
}

void CDiagnoseDlg::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  Start();
}

void CDiagnoseDlg::Start() {
  if (started_) return;
  started_ = true;
  // Each finding and the end reach the dialog on the GUI thread; the
  // thread is joined before the dialog goes, so `this` outlives it.
  thread_ = std::thread([this, request = request_] {
    DiagnoseConnection(request, [this](const Finding& finding) {
      QMetaObject::invokeMethod(this, [this, finding] { AddFinding(finding); },
                                Qt::QueuedConnection);
    });
    QMetaObject::invokeMethod(this, [this] { OnChecksOver(); }, Qt::QueuedConnection);
  });
}

void CDiagnoseDlg::AddFinding(const Finding& finding) {
  const QString text = QString::fromStdString(finding.text);
  auto* item = new QListWidgetItem(DravikIcon(IconFor(finding.severity)), text, list_);
  item->setData(Qt::UserRole, QString(SeverityWord(finding.severity)) + ": " + text);
  item->setToolTip(text);
  if (finding.severity == Severity::Problem) ++problems_;
  if (finding.severity == Severity::Warning) ++warnings_;
  list_->scrollToItem(item);
}

void CDiagnoseDlg::OnChecksOver() {
  over_ = true;
  thread_.join();
  if (problems_ == 0 && warnings_ == 0)
    heading_->setText("Done: no problem found.");
  else
    heading_->setText("Done: " +
                      (problems_ ? Count(problems_, "problem", "problems") : QString()) +
                      (problems_ && warnings_ ? " and " : "") +
                      (warnings_ ? Count(warnings_, "warning", "warnings") : QString()) +
                      " found.");
  close_->setEnabled(true);
  close_->setFocus();
  emit checksOver();
}

void CDiagnoseDlg::reject() {
  if (over_) QDialog::reject();
}

void CDiagnoseDlg::closeEvent(QCloseEvent* event) {
  if (!over_) {
    event->ignore();
    return;
  }
  QDialog::closeEvent(event);
}

void RunDiagnoseDialog(AppContext& ctx, QWidget* parent) {
  if (QWidget* modal = QApplication::activeModalWidget()) parent = modal;
  // The line checks need the device to themselves: they run from the
  // settings dialog and the no-response message, when the link has closed
  // the port.
  CDiagnoseDlg dialog(DoctorRequestFor(ctx.session), parent);
  dialog.exec();
}

}  // namespace dravik
