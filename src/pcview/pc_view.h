// CPCView: the folders and files of CurrentPCFolder, with the columns
// "Name" and "Size"; the PC end of every transfer started by the mouse.
#pragma once

#include <QTreeWidget>
#include <string>

#include "app/panes.h"

namespace dravik {

struct AppContext;

class CPCView : public QTreeWidget {
  Q_OBJECT

 public:
  explicit CPCView(AppContext& ctx, QWidget* parent = nullptr);

  void SetPanes(const Panes& panes) { panes_ = panes; }
  void OnInitialUpdate();

  // Lists CurrentPCFolder: folders first, ".." on top, sorted by name.
  void Refresh();
  // Enters the named sub-folder, or the parent for "..".
  void ChangeFolder(const std::string& name);
  // Puts the selected files into TransferList/TransferSizes; the count.
  int FillTransferList();
  // Ends a drag on the PC side: receives calculator objects into
  // CurrentPCFolder, or clears a PC drag.
  void FinishDropOnPc();
  // Deletes the selected files to the trash after a confirmation.
  void DeleteSelection();
  // The name of the item with the keyboard focus (empty when none).
  std::string FocusedName() const;

 private:
  AppContext& ctx_;
  Panes panes_;
};

}  // namespace dravik
