#include "hpview/text_preview_dlg.h"

#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QPlainTextEdit>
#include <QVBoxLayout>

#include "link/hp48_charset.h"

namespace dravik {

CTextPreviewDlg::CTextPreviewDlg(const std::string& name, const QString& text, QWidget* parent)
    : QDialog(parent), edit_(new QPlainTextEdit(this)) {
  setWindowTitle("Preview - " + QString::fromStdString(name));
  edit_->setReadOnly(true);
  edit_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  edit_->setPlainText(text);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(edit_);
  layout->addWidget(buttons);
  resize(480, 320);
}

QString CTextPreviewDlg::text() const { return edit_->toPlainText(); }

QString ObjectTextOfFile(const std::string& bytes) {
  std::string_view body = bytes;
  if (body.rfind("%%HP:", 0) == 0) {
    const size_t end = body.find('\n');
    body = end == std::string_view::npos ? std::string_view() : body.substr(end + 1);
  }
  std::string text;
  text.reserve(body.size());
  for (size_t i = 0; i < body.size(); ++i) {
    if (body[i] == '\r' && i + 1 < body.size() && body[i + 1] == '\n') continue;
    text += body[i] == '\r' ? '\n' : body[i];
  }
  return QString::fromStdString(hp48::ToUtf8(text));
}

}  // namespace dravik
