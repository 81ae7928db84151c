#include "support/pc_panes.h"

#include <QApplication>
#include <QDragEnterEvent>
#include <QMimeData>
#include <QTreeWidget>

#include "app/pane_drag.h"

namespace dravik::testing {

bool DropPaneJob(QTreeWidget* view, QTreeWidgetItem* item, Qt::KeyboardModifiers keys) {
  QPoint at;
  if (item) {
    at = view->visualItemRect(item).center();
  } else {
    // Empty space below the last item, the view grown for it if need be.
    const int count = view->topLevelItemCount();
    const int bottom = count ? view->visualItemRect(view->topLevelItem(count - 1)).bottom() : 0;
    if (view->viewport()->height() < bottom + 40)
      view->resize(view->width(), view->height() + bottom + 40 - view->viewport()->height());
    at = QPoint(10, bottom + 20);
  }
  QMimeData data;
  data.setData(kPaneDragMimeType, QByteArray());
  const Qt::DropActions actions = Qt::CopyAction | Qt::MoveAction;
  QDragEnterEvent enter(at, actions, &data, Qt::LeftButton, keys);
  QApplication::sendEvent(view->viewport(), &enter);
  QDragMoveEvent move(at, actions, &data, Qt::LeftButton, keys);
  QApplication::sendEvent(view->viewport(), &move);
  QDropEvent drop(QPointF(at), actions, &data, Qt::LeftButton, keys);
  QApplication::sendEvent(view->viewport(), &drop);
  QApplication::processEvents();
  return drop.isAccepted();
}

std::vector<std::string> ListedNames(const QTreeWidget* view) {
  std::vector<std::string> names;
  for (int i = 0; i < view->topLevelItemCount(); ++i)
    names.push_back(view->topLevelItem(i)->text(0).toStdString());
  return names;
}

QTreeWidgetItem* ItemNamed(const QTreeWidget* view, const std::string& name) {
  for (int i = 0; i < view->topLevelItemCount(); ++i)
    if (view->topLevelItem(i)->text(0).toStdString() == name) return view->topLevelItem(i);
  return nullptr;
}

QTreeWidgetItem* ChildNamed(const QTreeWidgetItem* parent, const std::string& name) {
  for (int i = 0; parent && i < parent->childCount(); ++i)
    if (parent->child(i)->text(0).toStdString() == name) return parent->child(i);
  return nullptr;
}

}  // namespace dravik::testing
