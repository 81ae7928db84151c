// The picture conversions of CMainFrame: BMP and GROB both ways, PNG (or
// any picture Qt reads) to a GROB with the options dialog, and a GROB to a
// PNG. Each output goes beside its input; the PC list is read again after.
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QImageReader>

#include "app/app_context.h"
#include "app/asked_write.h"
#include "app/main_frame.h"
#include "app/png_to_grob_dlg.h"
#include "app/window_boundary.h"
#include "grob/picture_conversion.h"
#include "grob/picture_file.h"
#include "grob/picture_processing.h"
#include "pcview/pc_item.h"
#include "pcview/pc_view.h"
#include "qtpicture/picture_codec.h"

namespace dravik {

namespace {

// Asks for a picture file, starting in the PC folder shown with the file
// that has the focus in the PC list chosen. The path as the file system
// names it; empty when the user cancelled.
std::string AskForPicture(QWidget* parent, const std::string& folder, const std::string& focused,
                          const QString& caption, const QString& filter) {
  const QString file =
      QFileDialog::getOpenFileName(parent, caption, ShownName(folder + focused), filter);
  return file.isEmpty() ? std::string() : QFile::encodeName(file).toStdString();
}

// The converted file goes beside the picture it came from.
std::string FolderOf(const std::string& file) {
  return QFile::encodeName(QFileInfo(ShownName(file)).absolutePath()).toStdString() + "/";
}

std::string BaseName(const std::string& path) { return path.substr(path.rfind('/') + 1); }

// "Pictures (*.png *.PNG *.bmp ...)" for every format Qt reads.
QString PictureFilter() {
  QStringList patterns;
  for (const QByteArray& format : QImageReader::supportedImageFormats())
    patterns << "*." + QString::fromLatin1(format) << "*." + QString::fromLatin1(format).toUpper();
  return "Pictures (" + patterns.join(' ') + ");;All files (*)";
}

}  // namespace

void CMainFrame::SetPictureFamily(std::function<CalculatorFamily()> family) {
  pictureFamily_ = std::move(family);
}

void CMainFrame::OnBmpToGrob() {
  const std::string file =
      AskForPicture(this, ctx_.session.CurrentPCFolder, panes_.pcList->FocusedName(),
                    "Convert BMP --> GROB", "Bitmaps (*.bmp *.BMP);;All files (*)");
  if (file.empty()) return;
  if (BmpFileToGrob(file, FolderOf(file), &boundary_, ExistingOutput::Ask, pictureFamily_()).ok)
    panes_.pcList->Refresh();
}

void CMainFrame::OnGrobToBmp() {
  const std::string file =
      AskForPicture(this, ctx_.session.CurrentPCFolder, panes_.pcList->FocusedName(),
                    "Convert GROB --> BMP", "All files (*);;GROB files (*.grb *.GRB)");
  if (file.empty()) return;
  if (GrobFileToBmp(file, FolderOf(file), &boundary_).ok) panes_.pcList->Refresh();
}

void CMainFrame::OnPngToGrob() {
  const std::string file = AskForPicture(this, ctx_.session.CurrentPCFolder,
                                         panes_.pcList->FocusedName(), "Convert PNG --> GROB",
                                         PictureFilter());
  if (!file.empty()) ConvertPngToGrob(file);
}

void CMainFrame::OnGrobToPng() {
  const std::string file =
      AskForPicture(this, ctx_.session.CurrentPCFolder, panes_.pcList->FocusedName(),
                    "Convert GROB --> PNG", "All files (*);;GROB files (*.grb *.GRB)");
  if (!file.empty()) ConvertGrobToPng(file);
}

bool CMainFrame::ConvertPngToGrob(const std::string& file) {
  auto refuse = [this](const std::string& text) {
    boundary_.ShowMessage(text, kPictureMessageCaption, MessageIcon::Warning, MessageButtons::Ok);
    return false;
  };
  std::vector<uint8_t> bytes;
  if (ReadPictureFile(file, bytes) != PictureReadStatus::Ok)
    return refuse(std::string(kMsgCannotOpenBmp) + " " + file);
  GrayPicture grey;
  std::string error;
  if (!DecodeGrayPicture(bytes, &grey, &error)) return refuse(file + ": " + error);
  const CalculatorFamily family = pictureFamily_();
  CPngToGrobDlg options(std::move(grey), ShownName(BaseName(file)), family, this);
  if (options.exec() != QDialog::Accepted || !options.refusal().isEmpty()) return false;
  const PictureBytes grob = MonoToGrobFile(options.result(), family);
  if (!grob.ok()) return refuse(std::string(grob.message));
  const bool written =
      WriteAsking(&boundary_, FolderOf(file) + GrobNameFor(file), grob.bytes) == AskedWrite::Written;
  if (written) panes_.pcList->Refresh();
  return written;
}

bool CMainFrame::ConvertGrobToPng(const std::string& file) {
  std::vector<uint8_t> bytes;
  MonoPicture picture;
  std::string_view message = kMsgCannotOpenGrob;
  if (ReadPictureFile(file, bytes) != PictureReadStatus::Ok ||
      !GrobFileToMono(bytes, &picture, &message)) {
    boundary_.ShowMessage(std::string(message) + ": " + file, kPictureMessageCaption,
                          MessageIcon::Warning, MessageButtons::Ok);
    return false;
  }
  const bool written = WriteAsking(&boundary_, FolderOf(file) + BaseName(file) + ".png",
                                   EncodePng(picture)) == AskedWrite::Written;
  if (written) panes_.pcList->Refresh();
  return written;
}

}  // namespace dravik
