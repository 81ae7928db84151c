#include "app/log_dock.h"

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "app/icons.h"

namespace dravik {
namespace {

QString FromEngine(const std::string& text) { return QString::fromStdString(text); }

// The failed row's colour: a dark red that reads on a light and a dark
// background alike.
const QColor kFailedColour(0xc7, 0x37, 0x2d);

const char* IconFor(const LogEntry& entry) {
  if (entry.Failed()) return "state_problem";
  return entry.outcome == LogOutcome::Done ? "state_ok" : "state_warning";
}

}  // namespace

CLogDock::CLogDock(OperationLog& log, QWidget* parent) : QDockWidget("Log", parent), log_(log) {
  setObjectName("log");
  list_ = new QTreeWidget;
  list_->setRootIsDecorated(false);
  list_->setUniformRowHeights(true);
  list_->setAlternatingRowColors(true);
  list_->setSelectionMode(QAbstractItemView::ExtendedSelection);
  list_->setHeaderLabels({"Time", "Operation", "Bytes", "Duration", "Outcome", "Check"});
  list_->header()->setStretchLastSection(true);
  list_->setColumnWidth(TimeColumn, 90);
  list_->setColumnWidth(WhatColumn, 300);
  list_->setColumnWidth(BytesColumn, 90);
  list_->setColumnWidth(DurationColumn, 70);
  list_->setColumnWidth(OutcomeColumn, 260);

  save_ = new QPushButton("Save Log...");
  save_->setToolTip("Save the log as a text file");
  connect(save_, &QPushButton::clicked, this, &CLogDock::OnSaveLog);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(save_);
  auto* body = new QWidget;
  auto* layout = new QVBoxLayout(body);
  layout->setContentsMargins(2, 2, 2, 2);
  layout->addWidget(list_);
  layout->addLayout(buttons);
  setWidget(body);

  for (const LogEntry& entry : log_.Entries()) AddRow(entry);
  // Rows added while the dock was hidden could not scroll it: opened, it
  // shows the latest ones, once it has its size.
  connect(this, &QDockWidget::visibilityChanged, this, [this](bool visible) {
    if (visible) QTimer::singleShot(0, list_, [this] { list_->scrollToBottom(); });
  });
  // Entries are finished on the thread of their operation (a job's worker
  // too): the rows are added on the GUI thread.
  log_.SetListener([this](const LogEntry& entry) {
    QMetaObject::invokeMethod(this, [this, entry] { AddRow(entry); }, Qt::QueuedConnection);
  });
}

CLogDock::~CLogDock() { log_.SetListener(nullptr); }

void CLogDock::AddRow(const LogEntry& entry) {
  auto* row = new QTreeWidgetItem(list_);
  row->setText(TimeColumn, FromEngine(LogTime(entry)));
  row->setIcon(TimeColumn, DravikIcon(IconFor(entry)));
  row->setText(WhatColumn, FromEngine(entry.what));
  row->setText(BytesColumn, FromEngine(LogBytes(entry)));
  row->setTextAlignment(BytesColumn, Qt::AlignRight | Qt::AlignVCenter);
  row->setText(DurationColumn, FromEngine(LogDuration(entry)));
  row->setTextAlignment(DurationColumn, Qt::AlignRight | Qt::AlignVCenter);
  row->setText(OutcomeColumn, FromEngine(LogOutcomeText(entry)));
  row->setText(CheckColumn, FromEngine(entry.check));
  const QString line = FromEngine(LogLine(entry));
  for (int c = TimeColumn; c <= CheckColumn; ++c) {
    row->setToolTip(c, line);
    if (entry.Failed()) row->setForeground(c, kFailedColour);
  }
  if (entry.Failed()) {
    QFont bold = row->font(OutcomeColumn);
    bold.setBold(true);
    row->setFont(OutcomeColumn, bold);
  }
  list_->scrollToItem(row);
  emit entryShown();
}

bool CLogDock::SaveTo(const QString& path, QString* error) const {
  QFile file(path);
  const QByteArray text = QByteArray::fromStdString(log_.Text());
  if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(text) != text.size() ||
      !file.flush()) {
    if (error) *error = file.errorString();
    return false;
  }
  return true;
}

void CLogDock::OnSaveLog() {
  const QString path = QFileDialog::getSaveFileName(
      this, "Save Log", QDir::home().filePath("dravik-log.txt"), "Text files (*.txt);;All files (*)");
  if (path.isEmpty()) return;
  QString error;
  if (!SaveTo(path, &error))
    QMessageBox::critical(this, "Error", "Could not write the log to " + path + ": " + error);
}

}  // namespace dravik
