// CRemoteView: "Preview" of a Graphic object as a picture, of other objects
// as their text.
#include <QContextMenuEvent>
#include <QDir>
#include <QMenu>
#include <QTemporaryDir>
#include <algorithm>
#include <array>
#include <string_view>

#include "app/app_context.h"
#include "app/xmodem_offer.h"
#include "grob/picture_file.h"
#include "grob/picture_processing.h"
#include "hpview/grob_preview_dlg.h"
#include "hpview/text_preview_dlg.h"
#include "hpview/remote_view.h"
#include "pcview/pc_view.h"

namespace dravik {
namespace {

constexpr char kGraphicType[] = "Graphic";

std::string FolderOfPath(const std::string& path) { return path.substr(0, path.rfind('/') + 1); }

}  // namespace

namespace {

enum class PreviewKind { None, Picture, Text, NoTextForm };

// The types the calculator writes out as text a person can read.
constexpr std::array<std::string_view, 14> kTextTypes = {
    "String",      "Program",    "Real Number", "Complex Number", "Real Array",
    "Complex Array", "List",     "Algebraic",   "Unit",           "Tagged",
    "Binary Integer", "Global Name", "Local Name", "Character"};

PreviewKind KindOf(const QTreeWidgetItem* row) {
  if (!row || !(row->flags() & Qt::ItemIsSelectable)) return PreviewKind::None;
  const std::string type = row->text(2).toStdString();
  if (type == kGraphicType) return PreviewKind::Picture;
  if (type == "Directory") return PreviewKind::None;
  return std::find(kTextTypes.begin(), kTextTypes.end(), type) != kTextTypes.end()
             ? PreviewKind::Text
             : PreviewKind::NoTextForm;
}

}  // namespace

bool CRemoteView::CanPreview() const { return KindOf(currentItem()) != PreviewKind::None; }

namespace {

// Sets the calculator's transfer mode (flag -35) and BinaryMode; false,
// with BinaryMode as it was, when the calculator did not take it.
bool SwitchTransferFormat(LineSide& line, bool binary) {
  line.session.BinaryMode = binary;
  if (line.kermit.SetTransferFormat()) return true;
  line.session.BinaryMode = !binary;  // the calculator did not take it
  return false;
}

// The received file of that object; empty when none came.
std::string ReceivedFile(const JobResult& result, const std::string& name) {
  for (const CHP48Link::ReceivedObject& o : result.received)
    if (o.name == name) return o.path;
  return {};
}

// The picture in the received file, or what went wrong.
std::string ReadPicture(const std::string& file, MonoPicture* picture) {
  std::vector<uint8_t> bytes;
  if (file.empty() || ReadPictureFile(file, bytes) != PictureReadStatus::Ok)
    return "The HP48 sent nothing that could be read.";
  std::string_view message;
  if (!GrobFileToMono(bytes, picture, &message)) return std::string(message) + ".";
  return {};
}

}  // namespace

void CRemoteView::PreviewCurrent() {
  QTreeWidgetItem* row = currentItem();
  const PreviewKind kind = KindOf(row);
  if (kind == PreviewKind::None) return;
  Session& s = ctx_.session;
  const std::string name = row->text(0).toStdString();
  auto tell = [&s, name](const std::string& problem) {
    if (s.MainWindow)
      s.MainWindow->ShowMessage("Could not show " + name + ": " + problem, "ERROR",
                                MessageIcon::Error);
  };
  if (kind == PreviewKind::NoTextForm) {
    if (s.MainWindow)
      s.MainWindow->ShowMessage(name + " is a " + row->text(2).toStdString() +
                                    " object: it has no picture or text to show. Receive it to "
                                    "keep it on the PC.",
                                "Preview", MessageIcon::Information);
    return;
  }
  // The fetched file goes into a folder of its own, removed with the last
  // holder of this pointer once the object has been read.
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
  // A picture comes as it is only in binary form, a text only in ASCII: the
  // calculator is switched for the fetch and put back as it was.
  const bool binary = kind == PreviewKind::Picture;
  auto switched = std::make_shared<bool>(false);
  JobSteps steps;
  steps.before = [switched, binary](LineSide& line) {
    if (line.session.BinaryMode == binary) return true;
    *switched = SwitchTransferFormat(line, binary);
    return *switched;
  };
  steps.after = [switched, binary](LineSide& line, JobResult&) {
    if (*switched) SwitchTransferFormat(line, !binary);
  };
  StartTransferIn(
      ctx_, window(), std::move(request),
      [this, folder, name, tell, binary](JobResult result) {
        if (result.outcome != JobOutcome::Completed) return;  // the user was told, or stopped it
        const std::string file = ReceivedFile(result, name);
        if (!binary) {
          QFile in(QFile::decodeName(file.c_str()));
          if (file.empty() || !in.open(QIODevice::ReadOnly)) {
            tell("The HP48 sent nothing that could be read.");
            return;
          }
          auto* dialog = new CTextPreviewDlg(name, ObjectTextOfFile(in.readAll().toStdString()),
                                             window());
          dialog->setAttribute(Qt::WA_DeleteOnClose);
          dialog->show();
          return;
        }
        MonoPicture picture;
        const std::string problem = ReadPicture(file, &picture);
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
  OfferXModem(*xmodem, ctx_.session, "Receive the selected objects by XModem");
  menu.setToolTipsVisible(true);
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
