// The pictures of the calculator panes: the 15 row icons of the object list
// and the 5 item images of the directory tree, from Dravik's own drawings.
#pragma once

#include <QIcon>
#include <string_view>

namespace dravik {

// Row icons of the object list, in this order.
enum RowIcon : int {
  kIconReal, kIconComplex, kIconString, kIconList, kIconProgram, kIconAlgebraic, kIconBinary,
  kIconGraphic, kIconUnit, kIconLibrary,
  kIconDirCurrent,  // a subdirectory read and current; the ".." row; the reading row
  kIconOther,       // a type word without an icon of its own
  kIconGlobal,
  kIconDirStale,    // a subdirectory not read yet, or changed since
  kIconCode,
  kRowIconCount
};

// The icon of an object by its type word (compared exactly); kIconOther for
// words without an icon of their own. Directories are chosen by the caller.
RowIcon IconForType(std::string_view type);
QIcon RowIconPicture(RowIcon icon);

// Item images of the directory tree.
enum TreeImage : int {
  kTreeHome,          // the root, and the placeholder items
  kTreeDirCurrent,    // a directory read and current
  kTreeDirSelected,   // any selected directory
  kTreeDirStale,      // a directory not read yet, or changed since
  kTreeHomeSelected,  // the selected root or placeholder
};

// One icon that shows the normal image, and the selected one while the item
// is selected.
QIcon TreeImagePair(TreeImage normal, TreeImage selected);

}  // namespace dravik
