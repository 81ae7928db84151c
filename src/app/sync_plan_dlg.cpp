#include "app/sync_plan_dlg.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "app/compare_texts.h"
#include "pcview/pc_item.h"

namespace dravik {

size_t CSyncPlanDlg::MovingCount(const sync::SyncPlan& plan) {
  return plan.actions.size() - plan.CountOf(sync::ActionKind::Keep);
}

CSyncPlanDlg::CSyncPlanDlg(const sync::SyncPlan& plan, QWidget* parent) : QDialog(parent) {
  const bool toPc = plan.options.direction == sync::SyncDirection::ToPc;
  setWindowTitle(toPc ? "Sync to PC" : "Sync to calculator");
  const QString calc = QString::fromStdString(plan.calc_root);
  const QString pc = ShownName(plan.pc_root);
  const size_t moving = MovingCount(plan);
  QString text;
  if (moving == 0) {
    text = toPc ? QStringLiteral("Nothing to copy from %1 to %2.").arg(calc, pc)
                : QStringLiteral("Nothing to copy from %1 to %2.").arg(pc, calc);
  } else {
    const QString what = moving == 1 ? QStringLiteral("1 object") : QStringLiteral("%1 objects").arg(moving);
    text = toPc ? QStringLiteral("%1 will be copied from %2 to %3.").arg(what, calc, pc)
                : QStringLiteral("%1 will be copied from %2 to %3.").arg(what, pc, calc);
  }
  text += toPc ? " Nothing is deleted, and a PC file changed since the last sync is not "
                 "overwritten."
               : " Nothing is deleted, and an object changed on the calculator since the last "
                 "sync is not overwritten.";
  heading_ = new QLabel(text);
  heading_->setWordWrap(true);

  list_ = new QTreeWidget;
  list_->setRootIsDecorated(false);
  list_->setUniformRowHeights(true);
  list_->setSelectionMode(QAbstractItemView::NoSelection);
  list_->setHeaderLabels({"Object", "What happens"});
  const QColor kept = palette().color(QPalette::Disabled, QPalette::Text);
  for (const sync::SyncAction& action : plan.actions) {
    auto* row = new QTreeWidgetItem(list_, {QString::fromStdString(action.row.key),
                                            QString::fromStdString(ActionText(action))});
    if (action.kind == sync::ActionKind::Keep)
      for (int c = 0; c < 2; ++c) row->setForeground(c, kept);
  }
  list_->header()->setStretchLastSection(true);
  list_->resizeColumnToContents(0);
  list_->setColumnWidth(0, std::max(list_->columnWidth(0) + 16, 140));

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
  ok_ = buttons->button(QDialogButtonBox::Ok);
  ok_->setEnabled(moving > 0);
  // Enter must not start a sync by accident.
  ok_->setAutoDefault(false);
  QPushButton* cancel = buttons->button(QDialogButtonBox::Cancel);
  cancel->setDefault(true);
  cancel->setFocus();
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(heading_);
  layout->addWidget(list_, 1);
  layout->addWidget(buttons);
  resize(560, 360);
}

}  // namespace dravik
