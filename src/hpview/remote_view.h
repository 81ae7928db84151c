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
class CGrobPreviewDlg;
struct MonoPicture;

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

  // Whether the row with the focus is a Graphic object.
  bool CanPreview() const;
  // "Preview": fetches the Graphic object of the focus row in binary form
  // (switching the calculator to binary for the fetch and back) into a
  // temporary folder that is removed afterwards, and shows it in a Preview
  // window. The window (it deletes itself when closed), or null when there
  // was nothing to show; what went wrong has been told.
  CGrobPreviewDlg* PreviewCurrent();

  // Runs a file job modally; a test puts its own here.
  std::function<JobOutcome(AppContext&, QWidget*)> RunTransfer = RunTransferDialog;

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  // On a Graphic row: a menu with "Preview".
  void contextMenuEvent(QContextMenuEvent* event) override;
  void startDrag(Qt::DropActions actions) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dragMoveEvent(QDragMoveEvent* event) override;
  void dragLeaveEvent(QDragLeaveEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  // The whole-number part of a Size text ("24.5" -> 24); 0 when it does not
  // begin with a digit. Sizes beyond 32 bits stop at the largest.
  static uint32_t WholeSize(const std::string& text);
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
  // Receives the named object into folder by a transfer job and reads it as
  // a picture; empty, or what went wrong ("-" when the user was told
  // already or stopped the job).
  // Sets the calculator's transfer mode (flag -35) and BinaryMode; false,
  // with BinaryMode as it was, when the calculator did not take it.
  bool SwitchTransferFormat(bool binary);
  std::string FetchPicture(const std::string& name, uint32_t size, const std::string& folder,
                           MonoPicture* picture);

  AppContext& ctx_;
  Panes panes_;
  std::array<QIcon, kRowIconCount> icons_;
  // HPDropHighlightItem: the row that shows the drop highlight.
  QTreeWidgetItem* dropHighlight_ = nullptr;
};

}  // namespace dravik
