#include "app/compare_marks.h"

#include <QHeaderView>
#include <QTreeWidget>
#include <map>

#include "app/compare_mark_look.h"
#include "app/compare_texts.h"
#include "hpview/remote_view.h"
#include "link/session.h"
#include "pcview/pc_item.h"
#include "pcview/pc_view.h"

namespace dravik {
namespace {

void Mark(QTreeWidgetItem* row, const RowMark& mark) {
  row->setData(0, kCompareMarkRole, static_cast<int>(mark.state));
  const QString tip = QString::fromStdString(mark.tip);
  for (int c = 0; c < row->columnCount(); ++c) row->setToolTip(c, tip);
}

}  // namespace

CompareMarks::CompareMarks(const Session& session, CRemoteView* calcList, CPCView* pcList,
                           QObject* parent)
    : QObject(parent), session_(session), calcList_(calcList), pcList_(pcList) {
  for (QTreeWidget* list : {static_cast<QTreeWidget*>(calcList_), static_cast<QTreeWidget*>(pcList_)})
    list->setItemDelegate(new CompareMarkDelegate(list));
  connect(calcList_, &CRemoteView::rowsReplaced, this, &CompareMarks::OnCalcRowsReplaced);
  connect(pcList_, &CPCView::rowsReplaced, this, &CompareMarks::OnPcRowsReplaced);
  // A new sort order puts the items back into the list, which shows hidden
  // rows again.
  connect(pcList_->header(), &QHeaderView::sectionClicked, this, [this] { ApplyFilter(pcList_); });
}

void CompareMarks::Show(sync::Comparison comparison, sync::SyncManifest manifest) {
  comparison_ = std::move(comparison);
  manifest_ = std::move(manifest);
  shown_ = true;
  counts_ = {};
  // A directory that both sides have is "same" as a directory whatever it
  // holds: only what it holds is counted.
  for (const sync::ComparisonRow& row : comparison_.rows)
    if (!row.BothDirectories())
      ++counts_[static_cast<size_t>(row.state)];
  MarkCalcList();
  MarkPcList();
  emit changed();
}

void CompareMarks::Clear() {
  if (!shown_) return;
  shown_ = false;
  comparison_ = {};
  manifest_ = sync::SyncManifest();
  counts_ = {};
  Unmark(calcList_);
  Unmark(pcList_);
  emit changed();
}

void CompareMarks::SetDifferencesOnly(bool on) {
  differencesOnly_ = on;
  ApplyFilter(calcList_);
  ApplyFilter(pcList_);
}

void CompareMarks::OnCalcRowsReplaced(bool listingRead) {
  if (!shown_ || refilling_ > 0) return;
  if (listingRead || session_.CurrentHPPath != comparison_.calc_root)
    Clear();
  else
    MarkCalcList();
}

void CompareMarks::OnPcRowsReplaced() {
  // The PC list reads its folder whenever it fills itself.
  if (shown_ && refilling_ == 0) Clear();
}

void CompareMarks::MarkCalcList() {
  // The rows directly in the compared directory, by calculator name.
  std::map<QString, size_t> rows;
  for (size_t i = 0; i < comparison_.rows.size(); ++i) {
    const sync::ComparisonRow& row = comparison_.rows[i];
    if (row.calc && row.calc_directory == comparison_.calc_root)
      rows.emplace(QString::fromStdString(row.name), i);
  }
  for (int i = 0; i < calcList_->topLevelItemCount(); ++i) {
    QTreeWidgetItem* item = calcList_->topLevelItem(i);
    const auto found = rows.find(item->text(0));
    // The ".." row and the list's notices are no objects.
    if (found != rows.end() && (item->flags() & Qt::ItemIsSelectable))
      Mark(item, MarkOfRow(comparison_, found->second));
  }
  ApplyFilter(calcList_);
}

void CompareMarks::MarkPcList() {
  // The entries directly in the compared folder, by their name on disk.
  std::map<std::string, size_t> rows;
  for (size_t i = 0; i < comparison_.rows.size(); ++i) {
    const sync::ComparisonRow& row = comparison_.rows[i];
    if (row.pc && row.pc_path.find('/') == std::string::npos) rows.emplace(row.pc_path, i);
  }
  for (int i = 0; i < pcList_->topLevelItemCount(); ++i) {
    QTreeWidgetItem* item = pcList_->topLevelItem(i);
    const auto found = rows.find(ItemName(item));
    if (found != rows.end()) Mark(item, MarkOfRow(comparison_, found->second));
  }
  ApplyFilter(pcList_);
}

void CompareMarks::ApplyFilter(QTreeWidget* list) {
  for (int i = 0; i < list->topLevelItemCount(); ++i) {
    QTreeWidgetItem* item = list->topLevelItem(i);
    const QVariant mark = item->data(0, kCompareMarkRole);
    item->setHidden(differencesOnly_ && mark.isValid() &&
                    static_cast<sync::RowState>(mark.toInt()) == sync::RowState::Same);
  }
}

void CompareMarks::Unmark(QTreeWidget* list) {
  for (int i = 0; i < list->topLevelItemCount(); ++i) {
    QTreeWidgetItem* item = list->topLevelItem(i);
    if (!item->data(0, kCompareMarkRole).isValid()) continue;
    item->setData(0, kCompareMarkRole, QVariant());
    for (int c = 0; c < item->columnCount(); ++c) item->setToolTip(c, QString());
    item->setHidden(false);
  }
}

}  // namespace dravik
