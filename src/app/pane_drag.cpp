#include "app/pane_drag.h"

#include <QDrag>
#include <QMimeData>
#include <QUrl>
#include <QWidget>

#include "app/app_context.h"
#include "app/icons.h"

namespace dravik {

void RunPaneDrag(QWidget* source, AppContext& ctx) {
  auto* drag = new QDrag(source);
  auto* data = new QMimeData;
  data->setData(kPaneDragMimeType, QByteArray());
  drag->setMimeData(data);
  // Targets accept a plain drop as a copy and a Shift drop as a move, so the
  // cursor tells which protocol the drop will use.
  drag->setDragCursor(DragCursorPixmap(false), Qt::CopyAction);
  drag->setDragCursor(DragCursorPixmap(true), Qt::MoveAction);
  drag->exec(Qt::CopyAction | Qt::MoveAction, Qt::CopyAction);
  // A drop target consumed and cleared the job; anything left was dropped
  // nowhere useful.
  TransferJob& job = ctx.session.Job;
  if (job.SendJobActive || job.ReceiveJobActive) job.Clear();
}

bool IsPaneDrag(const QMimeData* data) { return data && data->hasFormat(kPaneDragMimeType); }

QStringList DesktopFiles(const QMimeData* data) {
  QStringList files;
  if (!data || IsPaneDrag(data) || !data->hasUrls()) return files;
  for (const QUrl& url : data->urls())
    if (url.isLocalFile()) files << url.toLocalFile();
  return files;
}

}  // namespace dravik
