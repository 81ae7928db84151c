// Calculator paths as the panes use them: "HOME\" and one name and a
// backslash per level ("HOME\GAMES\CHESS\").
#pragma once

#include <string>
#include <string_view>

namespace dravik::hp_path {

inline constexpr std::string_view kHome = "HOME\\";

inline bool IsHome(std::string_view path) { return path == kHome; }

// "HOME\A\" + "B" -> "HOME\A\B\".
inline std::string Child(std::string_view path, std::string_view name) {
  std::string child(path);
  child.append(name);
  child += '\\';
  return child;
}

// "HOME\A\B\" -> "HOME\A\"; "HOME\" stays.
inline std::string Parent(std::string_view path) {
  if (path.size() < 2) return std::string(path);
  const size_t cut = path.find_last_of('\\', path.size() - 2);
  if (cut == std::string_view::npos) return std::string(path);
  return std::string(path.substr(0, cut + 1));
}

// True when path is inside (or is) the directory dir.
inline bool IsWithin(std::string_view path, std::string_view dir) {
  return path.substr(0, dir.size()) == dir;
}

}  // namespace dravik::hp_path
