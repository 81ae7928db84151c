// CRemoteView: the objects of the calculator directory CurrentHPPath, with
// the columns "Name", "Size" and "Type", filled from the listing cache.
// Double-click or Enter opens a directory (".." goes up, as Backspace does);
// objects dragged out of it are received (on the PC list) or moved (on a
// directory row, "..", or a tree item); PC and desktop files dropped on it
// are sent.
#pragma once

#include <QIcon>
#include <QTreeWidget>
#include <array>
#include <functional>
#include <string>
#include <vector>

#include "app/panes.h"
#include "hpview/hp_images.h"
#include "jobs/transfer_job.h"

namespace dravik {

struct AppContext;

class CRemoteView : public QTreeWidget {
  Q_OBJECT

 public:
  // Item data of a row: 1 for a subdirectory, 0 for any other row.
  static constexpr int kItemValueRole = Qt::UserRole;
  // The row's icon number (RowIcon).
  static constexpr int kIconRole = Qt::UserRole + 1;

  explicit CRemoteView(AppContext& ctx, QWidget* parent = nullptr);
  ~CRemoteView() override;

  void SetPanes(const Panes& panes) { panes_ = panes; }
  // First display: the columns and icons are there from the start; while
  // the panes are busy this only repaints.
  void OnInitialUpdate();

  // Fills the list from the cache (reading the directory when it is not
  // cached or stale), keeps the tree in step, status "Ready".
  void RefreshList();
  // Shows "Reading HOME\..." while a listing is read.
  void ShowReading(const std::string& path);
  // Puts the selected objects into TransferList/TransferSizes; the count.
  // The ".." row is never part of it.
  int CollectSelection();
  // Runs a queued send into CurrentHPPath, or ends a drag of calculator
  // objects that was dropped here. Whatever became of a send, the directory
  // is read again afterwards: some files may have arrived. The job's
  // outcome; Failed when no send ran.
  JobOutcome DropIntoCurrent();
  // Moves the objects named in TransferList from CurrentHPPath to another
  // calculator directory.
  void MoveSelectionTo(const std::string& target);
  // Deletes the selected objects, and directories after confirmation.
  void DeleteSelection();

  // Opens a row as a double-click does: a directory, or ".." for the parent.
  void OpenRow(QTreeWidgetItem* row);
  // The parent directory, as the ".." row and Backspace open it.
  void GoUp();

  // Runs a file job modally; a test puts its own here.
  std::function<JobOutcome(AppContext&, QWidget*)> RunTransfer = RunTransferDialog;

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void startDrag(Qt::DropActions actions) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dragMoveEvent(QDragMoveEvent* event) override;
  void dragLeaveEvent(QDragLeaveEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  bool IsUpRow(const QTreeWidgetItem* row) const;
  bool IsDirectoryRow(const QTreeWidgetItem* row) const;
  // The directory a row leads to (a subdirectory, or the parent for ".."),
  // or empty for any other row.
  std::string TargetOfRow(const QTreeWidgetItem* row) const;
  // The selected rows in row order, without the ".." row.
  std::vector<QTreeWidgetItem*> SelectedObjectRows() const;
  // The directory part of RefreshList: reads when needed, then fills.
  void Fill();
  void ReadCurrentListing();
  QTreeWidgetItem* MakeRow(const QString& name, const QString& size, const QString& type,
                           int item_value, RowIcon icon) const;
  // Takes the named objects out of the cached listing of CurrentHPPath.
  void ForgetNames(const std::vector<std::string>& names);
  // A directory that left CurrentHPPath: its tree item goes and its cached
  // listings (and those below it) are stale.
  void ForgetDirectory(const std::string& name);
  void SetDropHighlight(QTreeWidgetItem* row);
  void SetStatus(const std::string& text);

  AppContext& ctx_;
  Panes panes_;
  std::array<QIcon, kRowIconCount> icons_;
  // HPDropHighlightItem: the row that shows the drop highlight.
  QTreeWidgetItem* dropHighlight_ = nullptr;
};

}  // namespace dravik
