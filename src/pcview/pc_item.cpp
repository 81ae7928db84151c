#include "pcview/pc_item.h"

#include <QApplication>
#include <QFile>
#include <QStyle>
#include <QTreeWidgetItem>
#include <cstring>

#include "app/app_context.h"
#include "app/icons.h"

namespace dravik {

std::string ItemName(const QTreeWidgetItem* item) {
  if (!item) return {};
  const QByteArray raw = item->data(0, kNameRole).toByteArray();
  if (raw.isEmpty()) return item->text(0).toStdString();
  return raw.toStdString();
}

QString ShownName(std::string_view name) {
  return QFile::decodeName(QByteArray(name.data(), static_cast<qsizetype>(name.size())));
}

bool IsHiddenName(std::string_view name) { return !name.empty() && name[0] == '.' && name != ".."; }

int CompareFolded(std::string_view a, std::string_view b) {
  const size_t n = std::min(a.size(), b.size());
  for (size_t i = 0; i < n; ++i) {
    unsigned char x = static_cast<unsigned char>(a[i]);
    unsigned char y = static_cast<unsigned char>(b[i]);
    if (x >= 'A' && x <= 'Z') x = static_cast<unsigned char>(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z') y = static_cast<unsigned char>(y - 'A' + 'a');
    if (x != y) return x < y ? -1 : 1;
  }
  if (a.size() == b.size()) return 0;
  return a.size() < b.size() ? -1 : 1;
}

QIcon PaneIcon(const char* name) {
  QIcon icon = DravikIcon(name);
  if (!icon.isNull()) return icon;
  const QStyle* style = QApplication::style();
  const std::string_view n(name);
  if (n == "pctree_computer") return style->standardIcon(QStyle::SP_ComputerIcon);
  if (n == "pctree_removable") return style->standardIcon(QStyle::SP_DriveFDIcon);
  if (n == "pctree_cdrom") return style->standardIcon(QStyle::SP_DriveCDIcon);
  if (n == "pctree_fixed") return style->standardIcon(QStyle::SP_DriveHDIcon);
  if (n.find("folder") != std::string_view::npos) return style->standardIcon(QStyle::SP_DirIcon);
  return style->standardIcon(QStyle::SP_FileIcon);
}

QIcon DriveIcon(DriveKind kind) {
  switch (kind) {
    case DriveKind::Removable: return PaneIcon("pctree_removable");
    case DriveKind::CdRom: return PaneIcon("pctree_cdrom");
    case DriveKind::Fixed: break;
  }
  return PaneIcon("pctree_fixed");
}

MessageAnswer ShowPcMessage(AppContext& ctx, const std::string& text, const char* caption,
                            MessageIcon icon, MessageButtons buttons) {
  if (MainWindowHandle* window = ctx.session.MainWindow)
    return window->ShowMessage(text, caption, icon, buttons);
  switch (buttons) {
    case MessageButtons::Ok: return MessageAnswer::Ok;
    case MessageButtons::OkCancel:
    case MessageButtons::YesNoCancel:
    case MessageButtons::ReplaceKeepSkip: return MessageAnswer::Cancel;
    case MessageButtons::YesNo:
    case MessageButtons::YesNoDefaultNo: break;
  }
  return MessageAnswer::No;
}

std::string ParentFolder(const std::string& folder) {
  if (folder.size() <= 1) return {};
  const size_t slash = folder.rfind('/', folder.size() - 2);
  return slash == std::string::npos ? std::string() : folder.substr(0, slash + 1);
}

}  // namespace dravik
