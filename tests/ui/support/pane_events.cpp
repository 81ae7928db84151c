#include "support/pane_events.h"

#include <QApplication>
#include <QDropEvent>
#include <QMimeData>
#include <QTreeWidget>
#include <QUrl>

#include "app/calculator_line.h"
#include "app/pane_drag.h"

namespace dravik::testing {
namespace {
CalculatorLine* settled = nullptr;
}  // namespace

void SetLineToSettle(CalculatorLine* line) { settled = line; }

std::unique_ptr<QMimeData> PaneDragData() {
  auto data = std::make_unique<QMimeData>();
  data->setData(kPaneDragMimeType, QByteArray());
  return data;
}

std::unique_ptr<QMimeData> DesktopData(const QStringList& files) {
  auto data = std::make_unique<QMimeData>();
  QList<QUrl> urls;
  for (const QString& f : files) urls << QUrl::fromLocalFile(f);
  data->setUrls(urls);
  return data;
}

bool DropOn(QTreeWidget* view, QTreeWidgetItem* item, const QMimeData& data,
            Qt::KeyboardModifiers keys) {
  QWidget* port = view->viewport();
  QPoint at(5, port->height() - 3);
  if (item) {
    view->scrollToItem(item);
    at = view->visualItemRect(item).center();
  }
  const Qt::DropActions actions = Qt::CopyAction | Qt::MoveAction;
  QDragEnterEvent enter(at, actions, &data, Qt::LeftButton, keys);
  QApplication::sendEvent(port, &enter);
  QDragMoveEvent move(at, actions, &data, Qt::LeftButton, keys);
  QApplication::sendEvent(port, &move);
  QDropEvent drop(QPointF(at), actions, &data, Qt::NoButton, keys);
  QApplication::sendEvent(port, &drop);
  // The drop's transfer or move runs once the drop is handled.
  QApplication::processEvents();
  if (settled) settled->Settle(60000);
  return drop.isAccepted();
}

QTreeWidgetItem* RowNamed(QTreeWidget* view, const QString& name) {
  for (int i = 0; i < view->topLevelItemCount(); ++i)
    if (view->topLevelItem(i)->text(0) == name) return view->topLevelItem(i);
  return nullptr;
}

QStringList RowNames(QTreeWidget* view) {
  QStringList names;
  for (int i = 0; i < view->topLevelItemCount(); ++i) names << view->topLevelItem(i)->text(0);
  return names;
}

}  // namespace dravik::testing
