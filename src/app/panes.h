// The four panes of the main window, so that each can reach the others: the
// object list keeps the directory tree in step, the trees run drops through
// the lists, the PC list keeps the folder tree pointed at its folder.
#pragma once

namespace dravik {

class CPCTreeView;
class CPCView;
class CHPTreeView;
class CRemoteView;

struct Panes {
  CPCTreeView* pcTree = nullptr;  // row 0, column 0
  CPCView* pcList = nullptr;      // row 0, column 1
  CHPTreeView* hpTree = nullptr;  // row 1, column 0
  CRemoteView* hpList = nullptr;  // row 1, column 1
};

}  // namespace dravik
