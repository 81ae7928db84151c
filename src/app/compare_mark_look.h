// How a compare mark looks: one colour per state, a strip of it at the
// left edge of the row and a tint of it behind the row's text, drawn by a
// delegate of the list from the mark's state in the item data. The
// delegate leaves rows without a mark, and a row's own background (the
// drop highlight), as they are.
#pragma once

#include <QColor>
#include <QStyledItemDelegate>

#include "sync/comparison.h"

namespace dravik {

// Item data of a marked row in either list (column 0): the RowState of its
// mark as an int; no data when the row is not marked.
inline constexpr int kCompareMarkRole = Qt::UserRole + 16;

// The state's colour: the strip and the legend's square.
QColor MarkColor(sync::RowState state);
// The tint behind a marked row's text on a list whose background is base.
QColor MarkTint(sync::RowState state, const QColor& base);

class CompareMarkDelegate : public QStyledItemDelegate {
  Q_OBJECT

 public:
  using QStyledItemDelegate::QStyledItemDelegate;
  void paint(QPainter* painter, const QStyleOptionViewItem& option,
             const QModelIndex& index) const override;

 protected:
  void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;
};

}  // namespace dravik
