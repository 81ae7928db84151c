// CRemoteView: "Preview" of a Graphic object.
#include <QContextMenuEvent>
#include <QDir>
#include <QMenu>
#include <QTemporaryDir>

#include "app/app_context.h"
#include "grob/picture_file.h"
#include "grob/picture_processing.h"
#include "hpview/grob_preview_dlg.h"
#include "hpview/remote_view.h"
#include "link/wait_cursor.h"
#include "pcview/pc_view.h"

namespace dravik {
namespace {

constexpr char kGraphicType[] = "Graphic";
constexpr char kUserTold[] = "-";

std::string FolderOfPath(const std::string& path) { return path.substr(0, path.rfind('/') + 1); }

}  // namespace

bool CRemoteView::CanPreview() const {
  const QTreeWidgetItem* row = currentItem();
  return row && (row->flags() & Qt::ItemIsSelectable) && row->text(2) == kGraphicType;
}

std::string CRemoteView::FetchPicture(const std::string& name, uint32_t size,
                                      const std::string& folder, MonoPicture* picture) {
  Session& s = ctx_.session;
  if (s.CurrentHPPath != s.HPWorkingPath) {
    WaitCursor wait(s.MainWindow);
    if (!ctx_.kermit.ChangeDirectory()) return kUserTold;
  }
  TransferJob& job = s.Job;
  job.Clear();
  job.ReceiveJobActive = true;
  job.TransferList = {name};
  job.TransferSizes = {size};
  // The receive creates its file in CurrentPCFolder: the temporary folder,
  // for the job only.
  const std::string shown_folder = s.CurrentPCFolder;
  s.CurrentPCFolder = folder;
  const JobOutcome outcome = RunTransfer(ctx_, window());
  s.CurrentPCFolder = shown_folder;
  job.Clear();
  if (outcome != JobOutcome::Completed) return kUserTold;
  std::string file;
  for (const CHP48Link::ReceivedObject& o : ctx_.kermit.ReceivedObjects)
    if (o.name == name) file = o.path;
  std::vector<uint8_t> bytes;
  if (file.empty() || ReadPictureFile(file, bytes) != PictureReadStatus::Ok)
    return "The HP48 sent nothing that could be read.";
  std::string_view message;
  if (!GrobFileToMono(bytes, picture, &message)) return std::string(message) + ".";
  return {};
}

bool CRemoteView::SwitchTransferFormat(bool binary) {
  WaitCursor wait(ctx_.session.MainWindow);
  ctx_.session.BinaryMode = binary;
  if (ctx_.kermit.SetTransferFormat()) return true;
  ctx_.session.BinaryMode = !binary;  // the calculator did not take it
  return false;
}

CGrobPreviewDlg* CRemoteView::PreviewCurrent() {
  if (!CanPreview()) return nullptr;
  QTreeWidgetItem* row = currentItem();
  Session& s = ctx_.session;
  const std::string name = row->text(0).toStdString();
  std::string problem;
  MonoPicture picture;
  {
    QTemporaryDir folder(QDir::tempPath() + "/dravik-preview-XXXXXX");
    if (!folder.isValid()) {
      problem = "Could not create a temporary folder: " + folder.errorString().toStdString();
    } else {
      // A picture comes as it is only in binary form: the calculator is
      // switched for the fetch and put back as it was.
      const bool was_binary = s.BinaryMode;
      if (!was_binary && !SwitchTransferFormat(true)) return nullptr;
      problem = FetchPicture(name, WholeSize(row->text(1).toStdString()),
                             QFile::encodeName(folder.path()).toStdString() + "/", &picture);
      if (!was_binary) SwitchTransferFormat(false);
    }
  }  // the fetched file and its folder are gone
  if (problem == kUserTold) return nullptr;
  if (!problem.empty()) {
    if (s.MainWindow)
      s.MainWindow->ShowMessage("Could not show " + name + ": " + problem, "ERROR",
                                MessageIcon::Error);
    return nullptr;
  }
  const std::string start = s.CurrentPCFolder.empty()
                                ? QFile::encodeName(QDir::homePath()).toStdString() + "/"
                                : s.CurrentPCFolder;
  auto* dialog = new CGrobPreviewDlg(name, std::move(picture), start, s.MainWindow, window());
  dialog->setAttribute(Qt::WA_DeleteOnClose);
  dialog->saved = [this](const std::string& path) {
    if (panes_.pcList && FolderOfPath(path) == ctx_.session.CurrentPCFolder) panes_.pcList->Refresh();
  };
  dialog->show();
  return dialog;
}

void CRemoteView::contextMenuEvent(QContextMenuEvent* event) {
  QTreeWidgetItem* row =
      event->reason() == QContextMenuEvent::Mouse ? itemAt(event->pos()) : currentItem();
  if (!row || row->text(2) != kGraphicType) return;
  setCurrentItem(row);
  QMenu menu(this);
  QAction* preview = menu.addAction("&Preview");
  preview->setShortcut(QKeySequence(Qt::Key_Space));
  const QPoint at = event->reason() == QContextMenuEvent::Mouse
                        ? event->globalPos()
                        : viewport()->mapToGlobal(visualItemRect(row).bottomLeft());
  if (menu.exec(at) == preview) PreviewCurrent();
}

}  // namespace dravik
