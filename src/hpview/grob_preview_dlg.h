// The "Preview" window of a Graphic object fetched from the calculator: the
// picture enlarged with sharp pixels, its size, and "Save as PNG...".
#pragma once

#include <QDialog>
#include <functional>
#include <string>

#include "grob/picture_processing.h"
#include "link/ui_boundary.h"

namespace dravik {

class CPictureView;

class CGrobPreviewDlg : public QDialog {
  Q_OBJECT

 public:
  // folder: where "Save as PNG..." starts (with a trailing '/'); window asks
  // before a file is replaced and reports failures.
  CGrobPreviewDlg(const std::string& name, MonoPicture picture, const std::string& folder,
                  MainWindowHandle* window, QWidget* parent = nullptr);

  const MonoPicture& picture() const { return picture_; }
  const CPictureView& view() const { return *view_; }
  // Writes the picture as a PNG file at path, asking before an existing
  // file is replaced. True when it was written.
  bool SaveAsPng(const std::string& path);
  // Told of each file written.
  std::function<void(const std::string& path)> saved;

 private:
  void OnSaveAsPng();

  std::string name_;
  MonoPicture picture_;
  std::string folder_;
  MainWindowHandle* window_;
  CPictureView* view_ = nullptr;
};

}  // namespace dravik
