#include "hpview/pane_drop.h"

#include <QDropEvent>
#include <QFileInfo>
#include <QMetaObject>
#include <QMimeData>
#include <limits>
#include <utility>

#include "app/pane_drag.h"

namespace dravik {

bool JobOfDrop(const QDropEvent* event, AppContext& ctx, TransferJob& job) {
  const QMimeData* data = event->mimeData();
  if (IsPaneDrag(data)) {
    const TransferJob& current = ctx.session.Job;
    if (!current.SendJobActive && !current.ReceiveJobActive) return false;
    job = current;
  } else {
    const QStringList files = DesktopFiles(data);
    if (files.isEmpty()) return false;
    job = TransferJob{};
    for (const QString& file : files) {
      job.TransferList.push_back(file.toStdString());
      const qint64 size = QFileInfo(file).size();
      job.TransferSizes.push_back(static_cast<uint32_t>(
          std::min<qint64>(size, std::numeric_limits<uint32_t>::max())));
    }
    job.SendJobActive = true;
  }
  job.UseXModem = XModemRequested(event->modifiers());
  return true;
}

void RunAfterDrop(QObject* receiver, AppContext& ctx, TransferJob job,
                  std::function<void()> work) {
  ctx.session.Job.Clear();
  QMetaObject::invokeMethod(
      receiver,
      [&ctx, job = std::move(job), work = std::move(work)] {
        ctx.session.Job = job;
        work();
        ctx.session.Job.Clear();
      },
      Qt::QueuedConnection);
}

void AcceptDragMove(QDragMoveEvent* event) {
  const Qt::KeyboardModifiers keys = event->modifiers() & ~Qt::KeypadModifier;
  if (keys != Qt::NoModifier && keys != Qt::ShiftModifier) {
    event->ignore();
    return;
  }
  const bool desktop = !IsPaneDrag(event->mimeData());
  event->setDropAction(!desktop && keys == Qt::ShiftModifier ? Qt::MoveAction : Qt::CopyAction);
  event->accept();
}

}  // namespace dravik
