// The tool tip of a file in the PC list, made when the mouse rests on it
// (one bounded read of the file, never while the folder is listed): what a
// calculator file holds as the calculator lists it (type word, size,
// checksum, and the calculator family of a file in binary form) and a
// preview of a GROB, BMP or PNG picture.
#pragma once

#include <QString>
#include <cstddef>
#include <string>

namespace dravik {

// Files larger than this get no tool tip: no calculator object is as
// large, and a picture preview should not hold the window up.
inline constexpr size_t kTipReadLimit = 4u << 20;

// Rich text for the tool tip of the file at path, shown as name; empty when
// there is nothing to tell beyond the list's own columns.
QString PcFileTip(const std::string& path, const QString& name);

}  // namespace dravik
