#include "pcview/desktop_launch.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

#include "platform/desktop_entry.h"

namespace dravik {

namespace {

// The desktop file id of the default application for a MIME type, as
// xdg-mime reports it ("org.gnome.TextEditor.desktop").
QString DefaultApplication(const QString& mimeType) {
  const QString xdgMime = QStandardPaths::findExecutable("xdg-mime");
  if (xdgMime.isEmpty()) return {};
  QProcess query;
  query.start(xdgMime, {"query", "default", mimeType});
  if (!query.waitForFinished(3000)) {
    query.kill();
    query.waitForFinished(1000);
    return {};
  }
  return QString::fromUtf8(query.readAllStandardOutput()).trimmed();
}

bool Runnable(const QString& program) {
  if (program.contains('/')) return QFileInfo(program).isExecutable();
  return !QStandardPaths::findExecutable(program).isEmpty();
}

// The command of an installed desktop entry on path; empty when the entry
// is missing, cannot be split or names a program that is not there.
QStringList EntryCommand(const QString& desktopId, const QString& path) {
  if (desktopId.isEmpty()) return {};
  const QString file = QStandardPaths::locate(QStandardPaths::ApplicationsLocation, desktopId);
  QFile f(file);
  if (file.isEmpty() || !f.open(QIODevice::ReadOnly)) return {};
  const QByteArray text = f.readAll();
  const DesktopEntry entry = ParseDesktopEntry(std::string_view(text.constData(), text.size()));
  const std::vector<std::string> args =
      DesktopExecArguments(entry.exec, QFile::encodeName(path).toStdString());
  if (args.empty() || !Runnable(QString::fromStdString(args.front()))) return {};
  QStringList command;
  if (entry.terminal) {
    // A terminal program (vim, nano) needs a terminal window of its own.
    if (!Runnable("x-terminal-emulator")) return {};
    command << "x-terminal-emulator" << "-e";
  }
  for (const std::string& a : args) command << QFile::decodeName(QByteArray::fromStdString(a));
  return command;
}

QStringList FirstRunnable(const QStringList& programs, const QString& path) {
  for (const QString& p : programs)
    if (Runnable(p)) return {p, path};
  return {};
}

}  // namespace

QStringList TextEditorCommand(const QString& file) {
  QStringList command = EntryCommand(DefaultApplication("text/plain"), file);
  if (!command.isEmpty()) return command;
  // Without a default, the editors desktops commonly bring, then whatever
  // the desktop opens the file with.
  return FirstRunnable({"gnome-text-editor", "gedit", "kate", "kwrite", "mousepad", "pluma",
                        "xed", "featherpad", "leafpad", "geany", "xdg-open"},
                       file);
}

QStringList FileManagerCommand(const QString& folder) {
  QStringList command = EntryCommand(DefaultApplication("inode/directory"), folder);
  if (!command.isEmpty()) return command;
  return FirstRunnable({"xdg-open", "nautilus", "dolphin", "thunar", "nemo", "caja", "pcmanfm"},
                       folder);
}

bool StartDetached(const QStringList& command) {
  if (command.isEmpty()) return false;
  return QProcess::startDetached(command.front(), command.mid(1));
}

}  // namespace dravik
