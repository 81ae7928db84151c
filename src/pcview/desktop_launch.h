// The desktop's own programs for a PC file or folder: its text editor (for
// every file, whatever its type) and its file manager. Commands are lists of
// arguments with the path as one of them; no shell is involved.
#pragma once

#include <QStringList>
#include <functional>

namespace dravik {

// Program first, then its arguments. Empty when the desktop has none.
QStringList TextEditorCommand(const QString& file);
QStringList FileManagerCommand(const QString& folder);

// Starts a command detached from Dravik; false when it could not start.
using ProgramStarter = std::function<bool(const QStringList& command)>;
bool StartDetached(const QStringList& command);

}  // namespace dravik
