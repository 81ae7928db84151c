// Calculator paths as the panes use them: "HOME\" and one name and a
// backslash per level ("HOME\GAMES\CHESS\"). A port stands beside HOME as
// a root of its own with no levels below it: ":0:\", ":1:\" (the tag the
// calculator writes before a port object's name, and a backslash).
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace dravik::hp_path {

inline constexpr std::string_view kHome = "HOME\\";

inline bool IsHome(std::string_view path) { return path == kHome; }

// The port a path names (":2:\" -> 2); none for a directory path.
inline std::optional<int> PortOf(std::string_view path) {
  if (path.size() < 4 || path.size() > 6 || path.front() != ':' ||
      path.substr(path.size() - 2) != ":\\")
    return std::nullopt;
  int number = 0;
  for (char c : path.substr(1, path.size() - 3)) {
    if (c < '0' || c > '9') return std::nullopt;
    number = number * 10 + (c - '0');
  }
  return number;
}

inline bool IsPort(std::string_view path) { return PortOf(path).has_value(); }

// The path of port n: ":n:\".
inline std::string PortPath(int number) { return ":" + std::to_string(number) + ":\\"; }

// HOME or a port: a path with no parent.
inline bool IsRoot(std::string_view path) { return IsHome(path) || IsPort(path); }

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
