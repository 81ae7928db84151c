// Drag and drop between the panes. A drag start puts the job into the
// session (TransferList, and SendJobActive for PC files or ReceiveJobActive
// for calculator objects); the pane under the released button decides what
// happens. Shift alone at the drop means XModem. Files dropped from the
// desktop arrive as file URLs.
#pragma once

#include <QStringList>
#include <Qt>

class QMimeData;
class QWidget;

namespace dravik {

struct AppContext;

// The private type that marks a drag between Dravik's panes.
inline constexpr char kPaneDragMimeType[] = "application/x-dravik-transfer";

// Runs the drag of the job the source pane has just put into the session,
// with Dravik's drag cursors (the XModem one while Shift is held). Returns
// when the drag is over; a drag that no pane consumed leaves no job behind.
void RunPaneDrag(QWidget* source, AppContext& ctx);

// True for a drag between Dravik's panes.
bool IsPaneDrag(const QMimeData* data);
// The local files of a drag from the desktop; empty when there are none.
QStringList DesktopFiles(const QMimeData* data);
// The key state at a drop asks for XModem: Shift and no other key.
inline bool XModemRequested(Qt::KeyboardModifiers keys) {
  return (keys & ~Qt::KeypadModifier) == Qt::ShiftModifier;
}

}  // namespace dravik
