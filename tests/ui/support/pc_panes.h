// Helpers for the PC panes' tests: drops of a pane job as the drag would
// deliver them, and the names a pane lists.
#pragma once

#include <QPoint>
#include <Qt>
#include <string>
#include <vector>

class QTreeWidget;
class QTreeWidgetItem;

namespace dravik::testing {

// Delivers enter, move and drop of a drag between panes to the view, at the
// item (or on empty space below the items when item is null), with the
// keys held; then lets the dropped job run. True when the view took the
// drop.
bool DropPaneJob(QTreeWidget* view, QTreeWidgetItem* item,
                 Qt::KeyboardModifiers keys = Qt::NoModifier);

// The texts of column 0 of the top-level items, in list order.
std::vector<std::string> ListedNames(const QTreeWidget* view);
// The top-level item (or, below parent, the child) with that text.
QTreeWidgetItem* ItemNamed(const QTreeWidget* view, const std::string& name);
QTreeWidgetItem* ChildNamed(const QTreeWidgetItem* parent, const std::string& name);

}  // namespace dravik::testing
