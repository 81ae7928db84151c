// The PC list as the PC end of transfers: the transfer list, drags out,
// drops in (calculator objects received, PC files moved into a folder),
// and deleting to the trash.
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <limits>

#include "app/app_context.h"
#include "app/pane_drag.h"
#include "hpview/pane_drop.h"
#include "jobs/transfer_job.h"
#include "link/operation_log.h"
#include "link/serial_port.h"
#include "pcview/pc_item.h"
#include "pcview/pc_tree_view.h"
#include "pcview/pc_view.h"
#include "platform/file_move.h"

namespace dravik {
namespace {
void MakeDataFolder();
}  // namespace

int CPCView::FillTransferList() {
  TransferJob& job = ctx_.session.Job;
  job.TransferList.clear();
  job.TransferSizes.clear();
  // In list order; folders and ".." are no files to send, and leaving them
  // out keeps entry k of both tables on the same file.
  for (int i = 0; i < topLevelItemCount(); ++i) {
    const QTreeWidgetItem* item = topLevelItem(i);
    if (!item->isSelected() || item->data(0, kKindRole).toInt() != kFileItem) continue;
    job.TransferList.push_back(ctx_.session.CurrentPCFolder + ItemName(item));
    // The table holds 32 bits: a file of 4 GiB or more (which no calculator
    // takes) counts as the largest size it can hold.
    job.TransferSizes.push_back(static_cast<uint32_t>(std::min<qulonglong>(
        item->data(0, kSizeRole).toULongLong(), std::numeric_limits<uint32_t>::max())));
  }
  return static_cast<int>(job.TransferList.size());
}

void CPCView::FinishDropOnPc() {
  Session& s = ctx_.session;
  TransferJob& job = s.Job;
  if (job.SendJobActive) {
    job.Clear();
    return;
  }
  if (!job.ReceiveJobActive) return;
  if (s.CurrentPCFolder.empty()) {
    // The computer view has no folder to create files in.
    ShowPcMessage(ctx_, "Choose a PC folder to receive into.", "ERROR", MessageIcon::Error);
    job.Clear();
    return;
  }
  // The files arrive in this folder, whatever the user looks at by then.
  const std::string folder = s.CurrentPCFolder;
  if (!SettleExistingFiles(job, folder)) {
    job.Clear();
    return;
  }
  StartTransfer(ctx_, window(), [this, folder](JobResult) {
    if (ctx_.session.CurrentPCFolder == folder) Refresh();
  });
  job.Clear();
}

bool CPCView::SettleExistingFiles(TransferJob& job, const std::string& folder) {
  std::vector<size_t> clashing;
  std::vector<std::string> names, kept;
  for (size_t i = 0; i < job.TransferList.size(); ++i) {
    const std::string name = SafeFileName(job.TransferList[i]);
    const std::string free = FreeFileName(folder, name);
    if (free != name) {
      clashing.push_back(i);
      names.push_back(name);
      kept.push_back(free);  // the name the receive gives it beside the old one
    }
  }
  if (clashing.empty()) return true;
  // A received file never overwrites one: the user chooses, once for all
  // of them, as for a move inside the calculator.
  const bool one = names.size() == 1;
  const std::string question =
      folder + " already holds " + NamesForLog(names) + ".\n\nReplace " + (one ? "it" : "them") +
      " (the file" + (one ? "" : "s") + " there go" + (one ? "es" : "") + " to the trash), keep both (" +
      (one ? "the new one as " : "the new ones as ") + NamesForLog(kept) + "), or skip " +
      (one ? "it" : "them") + "?";
  const MessageAnswer answer = ShowPcMessage(ctx_, question, "Receive", MessageIcon::Question,
                                             MessageButtons::ReplaceKeepSkip);
  if (answer == MessageAnswer::No) return true;  // keep both
  std::vector<size_t> dropped;
  if (answer == MessageAnswer::Yes) {
    MakeDataFolder();
    std::string failed;
    for (size_t i : clashing) {
      const std::string name = SafeFileName(job.TransferList[i]);
      if (QFile::moveToTrash(ShownName(folder + name))) continue;
      failed += "\n" + name;
      dropped.push_back(i);  // never overwritten: left out instead
    }
    if (!failed.empty())
      ShowPcMessage(ctx_, "Could not move to the trash, so not received:" + failed, "ERROR",
                    MessageIcon::Error);
  } else {
    dropped = clashing;  // skip
  }
  for (auto it = dropped.rbegin(); it != dropped.rend(); ++it) {
    job.TransferList.erase(job.TransferList.begin() + static_cast<long>(*it));
    if (*it < job.TransferSizes.size())
      job.TransferSizes.erase(job.TransferSizes.begin() + static_cast<long>(*it));
  }
  return !job.TransferList.empty();
}

void CPCView::RunDrop(const std::string& targetFolder) {
  TransferJob& job = ctx_.session.Job;
  if (job.ReceiveJobActive) {
    if (!targetFolder.empty()) {
      ctx_.session.CurrentPCFolder = targetFolder;
      Refresh();
      if (panes_.pcTree) panes_.pcTree->SyncToCurrentFolder();
    }
    FinishDropOnPc();
  } else if (job.SendJobActive) {
    if (!targetFolder.empty()) MoveFilesInto(targetFolder);
    job.Clear();
  }
}

void CPCView::MoveFilesInto(const std::string& folder) {
  const std::vector<std::string> files = ctx_.session.Job.TransferList;
  for (const std::string& file : files) {
    std::string error;
    MoveOutcome outcome = MoveFileInto(file, folder, false, error);
    if (outcome == MoveOutcome::TargetExists) {
      const MessageAnswer answer = ShowPcMessage(
          ctx_, folder + " already holds a file named " + BaseName(file) + ".\nReplace it?",
          "Attention", MessageIcon::Question, MessageButtons::YesNoCancel);
      if (answer == MessageAnswer::Cancel) break;
      if (answer != MessageAnswer::Yes) continue;
      outcome = MoveFileInto(file, folder, true, error);
    }
    if (outcome == MoveOutcome::Failed)
      ShowPcMessage(ctx_, "Could not move " + file + " to " + folder + ": " + error, "ERROR",
                    MessageIcon::Error);
  }
  Refresh();
}

namespace {

// Qt trashes into the current folder when the home trash's parent
// (~/.local/share on a fresh account) is missing: it is made first, private
// to the user as the freedesktop base directories ask.
void MakeDataFolder() {
  const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
  if (data.isEmpty() || QFileInfo(data).isDir()) return;
  QStringList missing;
  for (QFileInfo f(data); !f.exists() && !f.isRoot(); f = QFileInfo(f.absolutePath()))
    missing.prepend(f.absoluteFilePath());
  for (const QString& folder : missing)
    QDir().mkdir(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

}  // namespace

void CPCView::DeleteSelection() {
  const std::string& folder = ctx_.session.CurrentPCFolder;
  if (folder.empty()) return;  // drives are not deleted
  std::vector<std::string> names;
  for (int i = 0; i < topLevelItemCount(); ++i) {
    const QTreeWidgetItem* item = topLevelItem(i);
    if (item->isSelected() && ItemName(item) != "..") names.push_back(ItemName(item));
  }
  if (names.empty()) return;
  const std::string question =
      names.size() == 1 ? "Move " + names.front() + " to the trash?"
                        : "Move these " + std::to_string(names.size()) + " items to the trash?";
  if (ShowPcMessage(ctx_, question, "Delete", MessageIcon::Question, MessageButtons::YesNo) !=
      MessageAnswer::Yes)
    return;
  MakeDataFolder();
  std::string failed;
  for (const std::string& name : names)
    if (!QFile::moveToTrash(ShownName(folder + name))) failed += "\n" + name;
  if (!failed.empty())
    ShowPcMessage(ctx_, "Could not move to the trash:" + failed, "ERROR", MessageIcon::Error);
  Refresh();
}

// ---- drag and drop ----------------------------------------------------------

void CPCView::startDrag(Qt::DropActions) {
  TransferJob& job = ctx_.session.Job;
  job.Clear();
  job.SendJobActive = true;
  if (FillTransferList() == 0) {
    job.Clear();
    return;
  }
  RunPaneDrag(this, ctx_);
}

void CPCView::SetDropHighlight(QTreeWidgetItem* item) {
  if (item == PCDropHighlightItem) return;
  if (PCDropHighlightItem) {
    for (int c = 0; c < columnCount(); ++c) PCDropHighlightItem->setData(c, Qt::BackgroundRole, {});
  }
  PCDropHighlightItem = item;
  if (item) {
    QColor color = palette().highlight().color();
    color.setAlpha(110);
    for (int c = 0; c < columnCount(); ++c) item->setBackground(c, color);
  }
}

// Calculator objects land anywhere; PC files only on a folder. Drags from
// the desktop are not taken here.
bool CPCView::TakesDrop(const QDropEvent* event, QTreeWidgetItem* item) const {
  const TransferJob& job = ctx_.session.Job;
  const bool overFolder = item && item->data(0, kKindRole).toInt() == kFolderItem;
  return IsPaneDrag(event->mimeData()) &&
         (job.ReceiveJobActive || (job.SendJobActive && overFolder));
}

void CPCView::dragEnterEvent(QDragEnterEvent* event) {
  const TransferJob& job = ctx_.session.Job;
  if (!IsPaneDrag(event->mimeData()) || !(job.SendJobActive || job.ReceiveJobActive)) {
    event->ignore();
    return;
  }
  AcceptDragMove(event);
}

void CPCView::dragMoveEvent(QDragMoveEvent* event) {
  QTreeWidget::dragMoveEvent(event);  // scrolls near the edges
  QTreeWidgetItem* item = itemAt(event->position().toPoint());
  const bool overFolder = item && item->data(0, kKindRole).toInt() == kFolderItem;
  SetDropHighlight(overFolder ? item : nullptr);
  if (TakesDrop(event, item))
    AcceptDragMove(event);
  else
    event->ignore();
}

void CPCView::dragLeaveEvent(QDragLeaveEvent* event) {
  SetDropHighlight(nullptr);
  QTreeWidget::dragLeaveEvent(event);
}

void CPCView::dropEvent(QDropEvent* event) {
  stopAutoScroll();
  SetDropHighlight(nullptr);
  QTreeWidgetItem* item = itemAt(event->position().toPoint());
  if (!TakesDrop(event, item)) {
    event->ignore();
    return;
  }
  TransferJob job = ctx_.session.Job;
  job.UseXModem = XModemRequested(event->modifiers());
  event->setDropAction(job.UseXModem ? Qt::MoveAction : Qt::CopyAction);
  event->accept();
  const bool overFolder = item && item->data(0, kKindRole).toInt() == kFolderItem;
  const std::string target = overFolder ? FolderOfItem(item) : std::string();
  RunAfterDrop(this, ctx_, std::move(job), [this, target] { RunDrop(target); });
}

}  // namespace dravik
