// CAboutDlg: the program's icon, its name and version, and OK.
#pragma once

#include <QDialog>

namespace dravik {

class CAboutDlg : public QDialog {
  Q_OBJECT

 public:
  explicit CAboutDlg(QWidget* parent = nullptr);
};

}  // namespace dravik
