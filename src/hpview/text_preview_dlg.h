// The "Preview" window of an object with a text form (a String, a Program,
// a number, a list...): the text the calculator sent, as it would stand in
// a file received in ASCII mode, without the file's header line.
#pragma once

#include <QDialog>
#include <string>

class QPlainTextEdit;

namespace dravik {

class CTextPreviewDlg : public QDialog {
  Q_OBJECT

 public:
  CTextPreviewDlg(const std::string& name, const QString& text, QWidget* parent = nullptr);
  QString text() const;

 private:
  QPlainTextEdit* edit_;
};

// The text of a file received in ASCII mode: the "%%HP:" header line goes,
// line ends become '\n' and the calculator's own characters UTF-8.
QString ObjectTextOfFile(const std::string& bytes);

}  // namespace dravik
