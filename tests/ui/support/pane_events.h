// Driving the calculator panes as a user would: drops with the pane drag's
// or the desktop's data, and finding rows by name.
#pragma once

#include <QMimeData>
#include <QStringList>
#include <Qt>
#include <memory>

class QTreeWidget;
class QTreeWidgetItem;

namespace dravik {
class CalculatorLine;
}

namespace dravik::testing {

// The line whose work a drop waits for (the test window's); null: none.
void SetLineToSettle(CalculatorLine* line);

// What a drag between the panes carries (its job is in the session).
std::unique_ptr<QMimeData> PaneDragData();
// Files dragged from the desktop.
std::unique_ptr<QMimeData> DesktopData(const QStringList& files);

// Drags data over the item (or the empty space below the last row when item
// is null) and drops it there with the keys held; then lets the drop's work
// run on the line and its results arrive. True when the view accepted the
// drop.
bool DropOn(QTreeWidget* view, QTreeWidgetItem* item, const QMimeData& data,
            Qt::KeyboardModifiers keys = Qt::NoModifier);

// The top-level row with that text in column 0, or null.
QTreeWidgetItem* RowNamed(QTreeWidget* view, const QString& name);
// The texts of column 0 of the top-level rows.
QStringList RowNames(QTreeWidget* view);

}  // namespace dravik::testing
