#include "hpview/hp_images.h"

#include <QFile>
#include <array>

#include "app/icons.h"

namespace dravik {
namespace {

constexpr std::array<const char*, kRowIconCount> kRowIconNames = {
    "obj_real",    "obj_complex", "obj_string",      "obj_list",   "obj_program",
    "obj_algebraic", "obj_binary", "obj_graphic",    "obj_unit",   "obj_library",
    "obj_dir_current", "obj_other", "obj_global",    "obj_dir_stale", "obj_code",
};

constexpr std::array<const char*, 5> kTreeImageNames = {
    "hptree_home", "hptree_dir_current", "hptree_dir_selected", "hptree_dir_stale",
    "hptree_home_selected",
};

struct TypeIcon {
  std::string_view type;
  RowIcon icon;
};

constexpr TypeIcon kTypeIcons[] = {
    {"Real", kIconReal},       {"Complex", kIconComplex},     {"String", kIconString},
    {"List", kIconList},       {"Program", kIconProgram},     {"Algebraic", kIconAlgebraic},
    {"Binary", kIconBinary},   {"Graphic", kIconGraphic},     {"Unit", kIconUnit},
    {"Library", kIconLibrary}, {"Global", kIconGlobal},       {"Code", kIconCode},
};

void AddImage(QIcon& icon, const char* name, QIcon::Mode mode) {
  const QString path = QStringLiteral(":/icons/%1.svg").arg(QLatin1String(name));
  if (QFile::exists(path)) icon.addFile(path, QSize(), mode);
}

}  // namespace

RowIcon IconForType(std::string_view type) {
  for (const TypeIcon& t : kTypeIcons)
    if (t.type == type) return t.icon;
  return kIconOther;
}

QIcon RowIconPicture(RowIcon icon) { return DravikIcon(kRowIconNames.at(icon)); }

QIcon TreeImagePair(TreeImage normal, TreeImage selected) {
  QIcon icon;
  AddImage(icon, kTreeImageNames.at(normal), QIcon::Normal);
  AddImage(icon, kTreeImageNames.at(selected), QIcon::Selected);
  return icon;
}

}  // namespace dravik
