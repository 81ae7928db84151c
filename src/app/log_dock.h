// CLogDock: the "Log" pane, a dock below the panes that View -> Log shows
// and hides. It is a view of the run's OperationLog: one row per job and per
// calculator operation with its time, what it was, its bytes, how long it
// took, its outcome and what the check against the calculator's checksums
// found. A failed row is red with the problem icon. "Save Log..." writes the
// log as text.
#pragma once

#include <QDockWidget>

#include "link/operation_log.h"

class QPushButton;
class QTreeWidget;

namespace dravik {

class CLogDock : public QDockWidget {
  Q_OBJECT

 public:
  // The columns of a row.
  enum Column { TimeColumn, WhatColumn, BytesColumn, DurationColumn, OutcomeColumn, CheckColumn };

  CLogDock(OperationLog& log, QWidget* parent = nullptr);
  ~CLogDock() override;

  QTreeWidget* List() const { return list_; }
  QPushButton* SaveButton() const { return save_; }
  // Writes the log as text to path; false with the reason in *error.
  bool SaveTo(const QString& path, QString* error) const;

 public slots:
  // Asks for a file and saves the log there; a failure is shown.
  void OnSaveLog();

 signals:
  // A row has been added (tests follow the log with it).
  void entryShown();

 private:
  void AddRow(const LogEntry& entry);

  OperationLog& log_;
  QTreeWidget* list_ = nullptr;
  QPushButton* save_ = nullptr;
};

}  // namespace dravik
