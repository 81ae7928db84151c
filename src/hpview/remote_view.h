// CRemoteView: the objects of the calculator directory CurrentHPPath, with
// the columns "Name", "Size" and "Type", filled from the listing cache.
// Double-click or Enter opens a directory (".." goes up, as Backspace does);
// objects dragged out of it are received (on the PC list) or moved (on a
// directory row, "..", or a tree item); PC and desktop files dropped on it
// are sent.
//
// Whatever needs the calculator is asked of the line and finishes when the
// line answers: the list never waits. A directory whose listing is cached
// and current shows at once.
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
struct ListingEntry;
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
  const dravik::Panes& OtherPanes() const { return panes_; }
  // First display: the columns and icons are there from the start; while
  // the panes are busy this only repaints.
  void OnInitialUpdate();

  // Shows CurrentHPPath: from the cache when its listing is there and
  // current, else "Reading ..." until the line has read it (after whatever
  // the line does now). Keeps the tree in step; status "Ready". then runs
  // once the list shows the directory.
  void RefreshList(std::function<void()> then = {});
  // Shows CurrentHPPath from the cache, or as still to be read, without
  // asking the line.
  void ShowCurrent();
  // Shows "Reading HOME\..." while a listing is read.
  void ShowReading(const std::string& path);
  // Shows one row that is no object: what the list waits for.
  void ShowNotice(const QString& text);
  // A listing read by another operation (Read all) as soon as it has come:
  // it goes into the cache (one that could not be read does not replace
  // one read before), a read of its directory still waiting is answered
  // with it, the list shows it when it shows that directory, and the tree
  // takes it in.
  void TakeListing(const ListingEntry& entry);
  // The user gave up the line: the listings still waiting for it are not
  // asked for (each would meet the silent calculator again at once); the
  // list says so when it waits for one.
  void DropWaitingReads();
  // Puts the selected objects into TransferList/TransferSizes; the count.
  // The ".." row is never part of it.
  int CollectSelection();
  // Asks the line for a send of the session's job into CurrentHPPath, or
  // ends a drag of calculator objects that was dropped here. Whatever
  // became of the send, the directory is read again afterwards (some files
  // may have arrived); then runs with the result. The job's operation, or
  // 0 when no send was asked for.
  uint64_t DropIntoCurrent(std::function<void(const JobResult&)> then = {}, JobSteps steps = {});
  // Moves the objects named in TransferList from CurrentHPPath to another
  // calculator directory.
  void MoveSelectionTo(const std::string& target);
  // Deletes the selected objects and directories, after one question that
  // names them (default No).
  void DeleteSelection();

  // Opens a row as a double-click does: a directory, or ".." for the parent.
  void OpenRow(QTreeWidgetItem* row);
  // The parent directory, as the ".." row and Backspace open it.
  void GoUp();

  // Whether the row with the focus is an object (not a directory).
  bool CanPreview() const;
  // "Preview": fetches the object of the focus row into a temporary folder
  // that is removed afterwards and shows it once it has come: a Graphic in
  // binary form as a picture (previewShown), an object with a text form in
  // ASCII form as its text (the calculator is switched for the fetch and
  // back). Of any other object it says why there is nothing to show.
  void PreviewCurrent();

 signals:
  // A Preview window has opened (it deletes itself when closed).
  void previewShown(CGrobPreviewDlg* dialog);
  // "Receive" or "Receive by XModem" chosen on the selection's context menu.
  void receiveRequested(bool xmodem);
  // The rows were made anew: from the cache, or (listingRead) after the
  // listing was read again or while it is being read.
  void rowsReplaced(bool listingRead);

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  // On an object row: Receive, Receive by XModem and Preview.
  void contextMenuEvent(QContextMenuEvent* event) override;
  void startDrag(Qt::DropActions actions) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dragMoveEvent(QDragMoveEvent* event) override;
  void dragLeaveEvent(QDragLeaveEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  // A listing asked of the line and not yet come, with what waits for it.
  struct PendingRead {
    uint64_t id = 0;
    std::string path;
    std::vector<std::function<void()>> then;
  };

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
  // The rows of CurrentHPPath from the cache (listingRead: just read);
  // keeps the tree in step.
  void Fill(bool listingRead = false);
  // Asks the line for the listing of path; then runs once it is shown.
  void ReadListing(const std::string& path, std::function<void()> then);
  void ListingRead(const std::string& path, bool stored, ListingEntry entry);
  QTreeWidgetItem* MakeRow(const QString& name, const QString& size, const QString& type,
                           int item_value, RowIcon icon) const;
  // Takes the named objects out of the cached listing of path.
  void ForgetNames(const std::string& path, const std::vector<std::string>& names);
  // A directory that left path: its tree item goes and its cached listings
  // (and those below it) are stale.
  void ForgetDirectory(const std::string& path, const std::string& name);
  // Objects came into path or left it: its listing and the one of its
  // parent (where its size stands) are read again when shown.
  void MarkChanged(const std::string& path);
  // After objects left path (moved or purged): the list shows what is left.
  void ShowAfterChange(const std::string& path);
  // The row of a subdirectory of the shown directory takes the icon of a
  // directory read (or not).
  void ShowDirectoryRead(const std::string& path);
  void SetDropHighlight(QTreeWidgetItem* row);
  void SetStatus(const std::string& text);

  AppContext& ctx_;
  Panes panes_;
  std::array<QIcon, kRowIconCount> icons_;
  // HPDropHighlightItem: the row that shows the drop highlight.
  QTreeWidgetItem* dropHighlight_ = nullptr;
  std::vector<PendingRead> reads_;
};

}  // namespace dravik
