#include "app/compare_mark_look.h"

#include <QPainter>
#include <optional>

namespace dravik {
namespace {

// The mark of the row the index is in (the mark is kept in column 0).
std::optional<sync::RowState> MarkAt(const QModelIndex& index) {
  const QVariant mark = index.siblingAtColumn(0).data(kCompareMarkRole);
  if (!mark.isValid()) return std::nullopt;
  return static_cast<sync::RowState>(mark.toInt());
}

}  // namespace

QColor MarkColor(sync::RowState state) {
  switch (state) {
    case sync::RowState::Same: return QColor(0x2b, 0x8a, 0x38);
    case sync::RowState::Differs: return QColor(0xd9, 0x73, 0x0d);
    case sync::RowState::OnlyOnCalculator: return QColor(0x1f, 0x5f, 0xb4);
    case sync::RowState::OnlyOnPc: return QColor(0x8e, 0x44, 0xad);
    case sync::RowState::Unknown: break;
  }
  return QColor(0x8c, 0x97, 0xa3);
}

QColor MarkTint(sync::RowState state, const QColor& base) {
  // Mixed into the list's own background, so the text stays readable on
  // a light and on a dark palette alike.
  const QColor mark = MarkColor(state);
  constexpr double kShare = 0.2;
  auto mix = [](int a, int b) { return static_cast<int>(a * (1 - kShare) + b * kShare + 0.5); };
  return QColor(mix(base.red(), mark.red()), mix(base.green(), mark.green()),
                mix(base.blue(), mark.blue()));
}

void CompareMarkDelegate::initStyleOption(QStyleOptionViewItem* option,
                                          const QModelIndex& index) const {
  QStyledItemDelegate::initStyleOption(option, index);
  const std::optional<sync::RowState> mark = MarkAt(index);
  if (mark && option->backgroundBrush.style() == Qt::NoBrush)
    option->backgroundBrush = MarkTint(*mark, option->palette.color(QPalette::Base));
}

void CompareMarkDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                                const QModelIndex& index) const {
  QStyledItemDelegate::paint(painter, option, index);
  const std::optional<sync::RowState> mark = MarkAt(index);
  if (!mark || index.column() != 0) return;
  // The strip shows through a selection, which covers the tint.
  const QRect strip(option.rect.left(), option.rect.top() + 1, 3, option.rect.height() - 2);
  painter->fillRect(strip, MarkColor(*mark));
}

}  // namespace dravik
