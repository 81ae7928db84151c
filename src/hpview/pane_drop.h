// What the calculator panes share when something is dropped on them.
//
// A drop only records the job: the transfer or move it starts runs once the
// drag is over, so that a modal progress dialog never runs inside the
// drag's own event loop and a file manager that dropped desktop files is
// answered at once.
#pragma once

#include <functional>

#include "app/app_context.h"

class QDragMoveEvent;
class QDropEvent;
class QObject;

namespace dravik {

// The job of a drop: a drag between the panes as its source pane left it in
// the session, or the desktop files the event carries (a send). False when
// the event carries neither.
bool JobOfDrop(const QDropEvent* event, AppContext& ctx, TransferJob& job);

// Runs work with job as the session's job once the current event is handled.
// The session's job is cleared at once (the drag has been consumed) and
// again after work.
void RunAfterDrop(QObject* receiver, AppContext& ctx, TransferJob job,
                  std::function<void()> work);

// Accepts a drag move as the drag cursor wants it: a copy for a plain drag,
// a move (the XModem cursor) while Shift alone is held. Drags from the
// desktop are always accepted as a copy: the files stay where they are.
// Drags with other keys held are refused.
void AcceptDragMove(QDragMoveEvent* event);

}  // namespace dravik
