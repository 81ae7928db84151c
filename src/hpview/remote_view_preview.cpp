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
#include "pcview/pc_view.h"

namespace dravik {
namespace {

constexpr char kGraphicType[] = "Graphic";

std::string FolderOfPath(const std::string& path) { return path.substr(0, path.rfind('/') + 1); }

}  // namespace

bool CRemoteView::CanPreview() const {
  const QTreeWidgetItem* row = currentItem();
  return row && (row->flags() & Qt::ItemIsSelectable) && row->text(2) == kGraphicType;
}

namespace {

// Sets the calculator's transfer mode (flag -35) and BinaryMode; false,
// with BinaryMode as it was, when the calculator did not take it.
bool SwitchTransferFormat(LineSide& line, bool binary) {
  line.session.BinaryMode = binary;
  if (line.kermit.SetTransferFormat()) return true;
  line.session.BinaryMode = !binary;  // the calculator did not take it
  return false;
}

// The picture in the received file, or what went wrong.
std::string ReadPicture(const JobResult& result, const std::string& name, MonoPicture* picture) {
  std::string file;
  for (const CHP48Link::ReceivedObject& o : result.received)
    if (o.name == name) file = o.path;
  std::vector<uint8_t> bytes;
  if (file.empty() || ReadPictureFile(file, bytes) != PictureReadStatus::Ok)
    return "The HP48 sent nothing that could be read.";
  std::string_view message;
  if (!GrobFileToMono(bytes, picture, &message)) return std::string(message) + ".";
  return {};
}

}  // namespace

void CRemoteView::PreviewCurrent() {
  if (!CanPreview()) return;
  QTreeWidgetItem* row = currentItem();
  Session& s = ctx_.session;
  const std::string name = row->text(0).toStdString();
  auto tell = [&s, name](const std::string& problem) {
    if (s.MainWindow)
      s.MainWindow->ShowMessage("Could not show " + name + ": " + problem, "ERROR",
                                MessageIcon::Error);
  };
  // The fetched file goes into a folder of its own, removed with the last
  // holder of this pointer once the picture has been read.
  auto folder = std::make_shared<QTemporaryDir>(QDir::tempPath() + "/dravik-preview-XXXXXX");
  if (!folder->isValid()) {
    tell("Could not create a temporary folder: " + folder->errorString().toStdString());
    return;
  }
  LineRequest request = ctx_.line.RequestHere();
  request.CurrentPCFolder = QFile::encodeName(folder->path()).toStdString() + "/";
  request.Job = {};
  request.Job.ReceiveJobActive = true;
  request.Job.TransferList = {name};
  request.Job.TransferSizes = {WholeSize(row->text(1).toStdString())};
  // A picture comes as it is only in binary form: the calculator is
  // switched for the fetch and put back as it was.
  auto switched = std::make_shared<bool>(false);
  JobSteps steps;
  steps.before = [switched](LineSide& line) {
    if (line.session.BinaryMode) return true;
    *switched = SwitchTransferFormat(line, true);
    return *switched;
  };
  steps.after = [switched](LineSide& line, JobResult&) {
    if (*switched) SwitchTransferFormat(line, false);
  };
  StartTransferIn(
      ctx_, window(), std::move(request),
      [this, folder, name, tell](JobResult result) {
        if (result.outcome != JobOutcome::Completed) return;  // the user was told, or stopped it
        MonoPicture picture;
        const std::string problem = ReadPicture(result, name, &picture);
        if (!problem.empty()) {
          tell(problem);
          return;
        }
        Session& session = ctx_.session;
        const std::string start =
            session.CurrentPCFolder.empty()
                ? QFile::encodeName(QDir::homePath()).toStdString() + "/"
                : session.CurrentPCFolder;
        auto* dialog =
            new CGrobPreviewDlg(name, std::move(picture), start, session.MainWindow, window());
        dialog->setAttribute(Qt::WA_DeleteOnClose);
        dialog->saved = [this](const std::string& path) {
          if (panes_.pcList && FolderOfPath(path) == ctx_.session.CurrentPCFolder)
            panes_.pcList->Refresh();
        };
        dialog->show();
        emit previewShown(dialog);
      },
      std::move(steps));
}

void CRemoteView::contextMenuEvent(QContextMenuEvent* event) {
  QTreeWidgetItem* row =
      event->reason() == QContextMenuEvent::Mouse ? itemAt(event->pos()) : currentItem();
  if (!row || !(row->flags() & Qt::ItemIsSelectable)) return;
  // A right click outside the selection works on the row clicked, as in a
  // file manager; inside it, on the whole selection.
  if (!row->isSelected()) {
    clearSelection();
    row->setSelected(true);
  }
  setCurrentItem(row, 0, QItemSelectionModel::NoUpdate);
  QMenu menu(this);
  QAction* receive = menu.addAction("&Receive");
  receive->setStatusTip("Receive the selected objects into the PC folder shown.");
  QAction* xmodem = menu.addAction("Receive by &XModem");
  xmodem->setStatusTip("Receive the selected objects by XModem; EVAL on the calculator starts it.");
  QAction* preview = nullptr;
  if (CanPreview()) {
    menu.addSeparator();
    preview = menu.addAction("&Preview");
    preview->setShortcut(QKeySequence(Qt::Key_Space));
  }
  const QPoint at = event->reason() == QContextMenuEvent::Mouse
                        ? event->globalPos()
                        : viewport()->mapToGlobal(visualItemRect(row).bottomLeft());
  QAction* chosen = menu.exec(at);
  if (chosen == receive || chosen == xmodem) emit receiveRequested(chosen == xmodem);
  if (chosen && chosen == preview) PreviewCurrent();
}

}  // namespace dravik
