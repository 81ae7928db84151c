// What the main window keeps from one run to the next: its place and size,
// where the pane borders stand (as shares of the window, so they follow a
// resize), the PC folder last shown and whether hidden files are shown.
// Kept in window.ini beside
// Dravik.ini; the settings file itself stays as the calculator tools wrote it.
#pragma once

#include <QByteArray>
#include <string>

namespace dravik {

struct WindowLayout {
  QByteArray geometry;       // QWidget::saveGeometry(); empty: none kept
  double columnShare = -1;   // the left panes' share of the width; < 0: none
  double rowShare = -1;      // the PC row's share of the height; < 0: none
  std::string pcFolder;      // with a trailing '/'; empty: none
  bool showHiddenFiles = false;  // View > Show Hidden Files
};

// The layout kept in path (empty fields when there is none or it is unusable).
WindowLayout ReadWindowLayout(const std::string& path);
void WriteWindowLayout(const std::string& path, const WindowLayout& layout);
// window.ini in the config folder.
std::string WindowLayoutPath();

}  // namespace dravik
