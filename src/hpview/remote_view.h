// CRemoteView: the objects of the calculator directory CurrentHPPath, with
// the columns "Name", "Size" and "Type", filled from the listing cache.
#pragma once

#include <QTreeWidget>
#include <string>

#include "app/panes.h"

namespace dravik {

struct AppContext;

class CRemoteView : public QTreeWidget {
  Q_OBJECT

 public:
  explicit CRemoteView(AppContext& ctx, QWidget* parent = nullptr);

  void SetPanes(const Panes& panes) { panes_ = panes; }
  // First display: columns and icons (nothing while the panes are busy).
  void OnInitialUpdate();

  // Fills the list from the cache (reading the directory when it is not
  // cached or stale), keeps the tree in step, status "Ready".
  void RefreshList();
  // Shows "Reading HOME\..." while a listing is read.
  void ShowReading(const std::string& path);
  // Puts the selected objects into TransferList/TransferSizes; the count.
  int CollectSelection();
  // Runs a queued send into CurrentHPPath, or ends a drag of calculator
  // objects that was dropped here.
  void DropIntoCurrent();
  // Moves the selected objects to another calculator directory.
  void MoveSelectionTo(const std::string& target);
  // Deletes the selected objects, and directories after confirmation.
  void DeleteSelection();

  // The next DropIntoCurrent does not refill the list (a drop on another
  // tree item moved the calculator away from the shown directory).
  int SkipNextRefresh = 0;

 private:
  AppContext& ctx_;
  Panes panes_;
};

}  // namespace dravik
