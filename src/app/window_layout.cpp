#include "app/window_layout.h"

#include <QFile>
#include <QSettings>

#include "platform/config_folder.h"

namespace dravik {
namespace {

// A share outside this range would hide a pane.
double UsableShare(const QVariant& value) {
  bool ok = false;
  const double share = value.toDouble(&ok);
  return ok && share >= 0.05 && share <= 0.95 ? share : -1;
}

}  // namespace

WindowLayout ReadWindowLayout(const std::string& path) {
  QSettings file(QString::fromStdString(path), QSettings::IniFormat);
  WindowLayout layout;
  layout.geometry = file.value("window/geometry").toByteArray();
  layout.columnShare = UsableShare(file.value("window/columnShare"));
  layout.rowShare = UsableShare(file.value("window/rowShare"));
  layout.pcFolder = QFile::encodeName(file.value("window/pcFolder").toString()).toStdString();
  if (!layout.pcFolder.empty() && layout.pcFolder.back() != '/') layout.pcFolder += '/';
  layout.showHiddenFiles = file.value("view/showHiddenFiles", false).toBool();
  return layout;
}

void WriteWindowLayout(const std::string& path, const WindowLayout& layout) {
  QSettings file(QString::fromStdString(path), QSettings::IniFormat);
  file.setValue("window/geometry", layout.geometry);
  if (layout.columnShare > 0) file.setValue("window/columnShare", layout.columnShare);
  if (layout.rowShare > 0) file.setValue("window/rowShare", layout.rowShare);
  file.setValue("window/pcFolder", QFile::decodeName(layout.pcFolder.c_str()));
  file.setValue("view/showHiddenFiles", layout.showHiddenFiles);
}

std::string WindowLayoutPath() { return ConfigFolder() + "window.ini"; }

}  // namespace dravik
