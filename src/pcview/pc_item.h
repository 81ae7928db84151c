// What the two PC panes keep in their items, and what they share: the raw
// file name bytes (a name that is not UTF-8 still names its file), the
// name order, the drive pictures and the message boxes.
#pragma once

#include <QIcon>
#include <QString>
#include <string>
#include <string_view>

#include "link/ui_boundary.h"
#include "platform/mounts.h"

class QTreeWidgetItem;

namespace dravik {

struct AppContext;

// Item data of both panes.
inline constexpr int kKindRole = Qt::UserRole;      // see the panes' kinds
inline constexpr int kNameRole = Qt::UserRole + 1;  // QByteArray: the name on disk
inline constexpr int kSizeRole = Qt::UserRole + 2;  // qulonglong: bytes of a file
inline constexpr int kSlotRole = Qt::UserRole + 3;  // int: the list's icon slot

// The name on disk of an item (its text when none was stored).
std::string ItemName(const QTreeWidgetItem* item);
// The name as shown.
QString ShownName(std::string_view name);

// A hidden file or folder: its name begins with a dot ("..", the way up,
// is none).
bool IsHiddenName(std::string_view name);

// Name order of both panes: letters A to Z compare as a to z, every other
// byte by its value. Negative, zero or positive like strcmp.
int CompareFolded(std::string_view a, std::string_view b);

// The icon of a drive kind, and a drawing by name with a fallback from the
// style while the drawing is missing.
QIcon DriveIcon(DriveKind kind);
QIcon PaneIcon(const char* name);

// A message box through the window boundary. Without a window (a benchmark)
// nothing is shown, and a question is answered No.
MessageAnswer ShowPcMessage(AppContext& ctx, const std::string& text, const char* caption,
                            MessageIcon icon, MessageButtons buttons = MessageButtons::Ok);

// Parent folder of a folder ending with '/': /a/b/ gives /a/, / gives the
// empty text (the computer with its drives).
std::string ParentFolder(const std::string& folder);

}  // namespace dravik
