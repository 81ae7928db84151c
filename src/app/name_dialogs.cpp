#include "app/name_dialogs.h"

#include <QDate>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QVBoxLayout>

#include "app/app_context.h"
#include "link/calculator_model.h"
#include "link/hp48_commands.h"
#include "link/runner_texts.h"

namespace dravik {
namespace {

QDialogButtonBox* OkCancel(QDialog* dialog) {
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, dialog);
  QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
  return buttons;
}

}  // namespace

CArchiveNameDlg::CArchiveNameDlg(AppContext& ctx, QWidget* parent)
    : QDialog(parent), ctx_(ctx), edit_(new QLineEdit(this)) {
  setWindowTitle("Archive Name");
  // The month's English abbreviation: the name must be one the calculator
  // takes, whatever the desktop's language.
  edit_->setText(QLocale::c().toString(QDate::currentDate(), "MMMyy"));
  edit_->selectAll();
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(new QLabel("Please enter the name of the archive", this));
  layout->addWidget(edit_);
  // How the user starts the backup: EVAL, or on a calculator whose stack
  // does not survive leaving the server, the program's name typed.
  const CalculatorModel& model = ctx_.session.Model ? *ctx_.session.Model : Hp48GxModel();
  const std::string start = model.RunAfterFinish == ProgramStart::kTypedName
                                ? StartText(model, "backup")
                                : "Hit the EVAL key on the HP, if ready.";
  layout->addWidget(new QLabel(QString::fromStdString(start), this));
  layout->addWidget(OkCancel(this));
  edit_->setFocus();
}

void CArchiveNameDlg::accept() {
  ctx_.ArchiveName = edit_->text().toStdString();
  QDialog::accept();
}

CNewFolderDlg::CNewFolderDlg(AppContext& ctx, QWidget* parent)
    : QDialog(parent), ctx_(ctx), edit_(new QLineEdit(this)), problem_(new QLabel(this)) {
  setWindowTitle("New Folder");
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(new QLabel("Name of the new HP48-folder:", this));
  layout->addWidget(edit_);
  problem_->setWordWrap(true);
  problem_->hide();
  layout->addWidget(problem_);
  layout->addWidget(OkCancel(this));
  edit_->setFocus();
}

void CNewFolderDlg::accept() {
  const std::string name = edit_->text().toStdString();
  // A name the calculator would not take stays in the box to be mended.
  if (const std::string problem = hp48::NameProblem(name); !name.empty() && !problem.empty()) {
    problem_->setText(QString::fromStdString(
        "Not a valid HP48 name: it " + problem + ". A name has no blanks; letters, digits and "
        "the other characters may be used, up to " + std::to_string(hp48::kMaxNameLength) + "."));
    problem_->show();
    edit_->setFocus();
    return;
  }
  ctx_.NewFolderName = name;
  QDialog::accept();
}

}  // namespace dravik
