// The two small name dialogs of the HP48 menu and toolbar: the name of a
// memory archive, and the name of a new calculator directory. OK stores the
// text in the context (ArchiveName, NewFolderName); Cancel leaves it.
#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;

namespace dravik {

struct AppContext;

class CArchiveNameDlg : public QDialog {
  Q_OBJECT

 public:
  // Opens with this month as "Mar99", all of it selected.
  explicit CArchiveNameDlg(AppContext& ctx, QWidget* parent = nullptr);
  QLineEdit* nameEdit() const { return edit_; }
  void accept() override;

 private:
  AppContext& ctx_;
  QLineEdit* edit_;
};

class CNewFolderDlg : public QDialog {
  Q_OBJECT

 public:
  explicit CNewFolderDlg(AppContext& ctx, QWidget* parent = nullptr);
  QLineEdit* nameEdit() const { return edit_; }
  // Why the name typed was refused; hidden until then.
  QLabel* problemLabel() const { return problem_; }
  // Takes only a name the calculator accepts (or none).
  void accept() override;

 private:
  AppContext& ctx_;
  QLineEdit* edit_;
  QLabel* problem_;
};

}  // namespace dravik
