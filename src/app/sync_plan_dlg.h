// CSyncPlanDlg: "Sync to PC" or "Sync to calculator" before anything
// moves: every object the sync copies or makes, and every one it leaves
// as it is with the reason (a PC file changed since the last sync is never
// overwritten). OK runs the sync; Cancel, the default, leaves everything.
#pragma once

#include <QDialog>

#include "sync/sync_plan.h"

class QLabel;
class QPushButton;
class QTreeWidget;

namespace dravik {

class CSyncPlanDlg : public QDialog {
  Q_OBJECT

 public:
  explicit CSyncPlanDlg(const sync::SyncPlan& plan, QWidget* parent = nullptr);

  // What would move (the plan's actions other than the kept ones).
  static size_t MovingCount(const sync::SyncPlan& plan);

  QTreeWidget* list() const { return list_; }
  QLabel* heading() const { return heading_; }
  QPushButton* okButton() const { return ok_; }

 private:
  QLabel* heading_ = nullptr;
  QTreeWidget* list_ = nullptr;
  QPushButton* ok_ = nullptr;
};

}  // namespace dravik
