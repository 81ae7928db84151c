#include "app/backup_window.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <string_view>
#include <utility>
#include <vector>

#include "app/app_context.h"
#include "app/asked_write.h"
#include "grob/picture_file.h"
#include "hpfile/object_extract.h"
#include "hpview/hp_images.h"
#include "hpview/remote_view.h"
#include "pcview/pc_item.h"
#include "pcview/pc_view.h"

namespace dravik {

namespace {

enum Column { kName, kType, kSize, kChecksum };

std::string BaseName(const std::string& path) { return path.substr(path.rfind('/') + 1); }
std::string FolderOf(const std::string& path) { return path.substr(0, path.rfind('/') + 1); }

QString FromEngine(const std::string& text) { return QString::fromStdString(text); }

std::string PathOf(const QTreeWidgetItem* item) {
  return item ? item->data(kName, CBackupWindow::kPathRole).toByteArray().toStdString() : std::string();
}

// The object list's icon of a type word. The list shows the listing's short
// words ("Real"); a file's rows have the calculator's full ones.
QIcon TypeIcon(const std::string& type) {
  if (type == "Directory") return RowIconPicture(kIconDirCurrent);
  static constexpr std::pair<std::string_view, std::string_view> kShortWords[] = {
      {"Real Number", "Real"}, {"Complex Number", "Complex"},
      {"Binary Integer", "Binary"}, {"Global Name", "Global"}};
  for (const auto& [full, brief] : kShortWords)
    if (type == full) return RowIconPicture(IconForType(brief));
  return RowIconPicture(IconForType(type));
}

}  // namespace

CBackupWindow* CBackupWindow::Open(AppContext& ctx, const Panes& panes, const std::string& path,
                                   QWidget* parent) {
  std::vector<uint8_t> bytes;
  std::string problem;
  if (ReadPictureFile(path, bytes) != PictureReadStatus::Ok) {
    problem = "Cannot read " + path + ".";
  } else {
    CalculatorFile file = ReadCalculatorFile(std::move(bytes));
    if (file.kind == CalculatorFileKind::Binary) {
      auto* window = new CBackupWindow(ctx, panes, path, std::move(file), parent);
      window->show();
      return window;
    }
    problem = file.kind == CalculatorFileKind::Text
                  ? path + " is a calculator file in text form: only files in binary form "
                           "(as a backup is) can be opened."
                  : path + " is " + file.reason + ".";
  }
  ShowPcMessage(ctx, problem, "ERROR", MessageIcon::Error);
  return nullptr;
}

CBackupWindow::CBackupWindow(AppContext& ctx, const Panes& panes, const std::string& path,
                             CalculatorFile file, QWidget* parent)
    : QDialog(parent), ctx_(ctx), panes_(panes), path_(path), file_(std::move(file)) {
  setAttribute(Qt::WA_DeleteOnClose);
  const QString name = ShownName(BaseName(path_));
  setWindowTitle("Backup - " + name);

  // The family says which calculators take what is extracted from it.
  const std::string family(FamilyName(file_.family));
  const QString what =
      file_.backup ? FromEngine(family + " backup of the calculator's HOME directory")
                   : FromEngine(TypeWord(file_.nibbles(), Untagged(file_.walk.object)) + " (" +
                                BinaryObjectText(file_.family) + ")");
  auto* heading = new QLabel("<b>" + name.toHtmlEscaped() + "</b>: " + what.toHtmlEscaped());

  tree_ = new QTreeWidget;
  tree_->setHeaderLabels({"Name", "Type", "Size", "Checksum"});
  tree_->setUniformRowHeights(true);
  tree_->setAllColumnsShowFocus(true);
  tree_->headerItem()->setTextAlignment(kSize, Qt::AlignRight | Qt::AlignVCenter);
  tree_->headerItem()->setTextAlignment(kChecksum, Qt::AlignRight | Qt::AlignVCenter);
  damage_ = new QLabel;
  damage_->setWordWrap(true);
  damage_->setTextInteractionFlags(Qt::TextSelectableByMouse);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close);
  extract_ = buttons->addButton("&Extract...", QDialogButtonBox::ActionRole);
  extract_->setToolTip("Save the variable or directory as a calculator file in binary form");
  send_ = buttons->addButton("&Send to Calculator", QDialogButtonBox::ActionRole);
  send_->setToolTip("Send the variable to the calculator's current directory "
                    "(the rest of its memory stays as it is)");
  connect(extract_, &QPushButton::clicked, this, &CBackupWindow::OnExtract);
  connect(send_, &QPushButton::clicked, this, &CBackupWindow::OnSend);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  connect(tree_, &QTreeWidget::currentItemChanged, this, &CBackupWindow::UpdateButtons);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(heading);
  layout->addWidget(tree_, 1);
  layout->addWidget(damage_);
  layout->addWidget(buttons);
  Fill();
  resize(600, 480);
}

void CBackupWindow::Fill() {
  const std::vector<InspectRow> rows = InspectRows(file_, BaseName(path_));
  // The items that hold the rows of each depth, and their paths.
  std::vector<QTreeWidgetItem*> parents;
  std::vector<std::string> paths;
  for (const InspectRow& row : rows) {
    const size_t depth = static_cast<size_t>(row.depth);
    parents.resize(depth);
    paths.resize(depth);
    QTreeWidgetItem* item = depth == 0 ? new QTreeWidgetItem(tree_) : new QTreeWidgetItem(parents.back());
    if (row.type.empty()) {
      // Where a damaged file breaks: nothing after it could be read.
      item->setText(kName, FromEngine(row.note));
      item->setFirstColumnSpanned(true);
      item->setIcon(kName, style()->standardIcon(QStyle::SP_MessageBoxWarning));
      item->setForeground(kName, QColor(0xb0, 0, 0));
      item->setFlags(Qt::ItemIsEnabled);
      damage_->setText("<font color=\"#b00000\">" + FromEngine(file_.reason).toHtmlEscaped() +
                       "</font>. What could be read is shown; damaged variables cannot be "
                       "extracted or sent.");
      continue;
    }
    std::string path;
    if (depth == 0)
      path = file_.backup ? "HOME" : "";
    else
      path = (depth > 1 ? paths.back() + "/" : std::string()) + row.name;
    item->setText(kName, FromEngine(row.name));
    item->setText(kType, FromEngine(row.type));
    item->setText(kSize, FromEngine(row.size));
    item->setText(kChecksum, FromEngine(row.checksum));
    item->setTextAlignment(kSize, Qt::AlignRight | Qt::AlignVCenter);
    item->setTextAlignment(kChecksum, Qt::AlignRight | Qt::AlignVCenter);
    if (!row.note.empty()) item->setToolTip(kName, FromEngine(row.note));
    item->setIcon(kName, depth == 0 && file_.backup ? TreeImagePair(kTreeHome, kTreeHomeSelected)
                                                    : TypeIcon(row.type));
    item->setData(kName, kPathRole, QByteArray::fromStdString(path));
    item->setData(kName, kWholeRole, depth == 0 ? file_.complete() : !row.size.empty());
    parents.push_back(item);
    paths.push_back(path);
  }
  damage_->setVisible(!damage_->text().isEmpty());
  tree_->expandAll();
  // The name takes what the other columns leave.
  tree_->header()->setStretchLastSection(false);
  for (int c = kType; c <= kChecksum; ++c) tree_->resizeColumnToContents(c);
  tree_->header()->setSectionResizeMode(kName, QHeaderView::Stretch);
  tree_->header()->setMinimumSectionSize(60);
  tree_->setCurrentItem(tree_->topLevelItem(0));
  UpdateButtons();
}

QString CBackupWindow::damageText() const { return damage_->isVisibleTo(this) ? damage_->text() : QString(); }

void CBackupWindow::UpdateButtons() {
  const QTreeWidgetItem* item = tree_->currentItem();
  const bool whole = item && item->data(kName, kWholeRole).toBool();
  const std::string path = PathOf(item);
  extract_->setEnabled(whole && !path.empty());
  // HOME goes back only with a restore of the whole backup.
  send_->setEnabled(whole && !path.empty() && path != "HOME" && panes_.hpList);
}

void CBackupWindow::Tell(const std::string& text) {
  ShowPcMessage(ctx_, text, "ERROR", MessageIcon::Error);
}

bool CBackupWindow::Take(const QTreeWidgetItem* item, ExtractedObject* object) {
  *object = ExtractObject(file_, PathOf(item));
  if (!object->ok) {
    Tell("Cannot take " + PathOf(item) + " out of " + BaseName(path_) + ": " + object->error);
    return false;
  }
  if (object->name.empty() || object->name == "." || object->name == ".." ||
      object->name.find('/') != std::string::npos) {
    Tell(object->name + " cannot be a file name.");
    return false;
  }
  return true;
}

bool CBackupWindow::ExtractTo(const QTreeWidgetItem* item, const std::string& path) {
  ExtractedObject object;
  if (!Take(item, &object)) return false;
  if (WriteAsking(ctx_.session.MainWindow, path, object.file) != AskedWrite::Written) return false;
  if (panes_.pcList && FolderOf(path) == ctx_.session.CurrentPCFolder) panes_.pcList->Refresh();
  return true;
}

uint64_t CBackupWindow::SendToCalculator(const QTreeWidgetItem* item,
                                         std::function<void(const JobResult&)> done) {
  ExtractedObject object;
  if (!panes_.hpList || !Take(item, &object)) return 0;
  // The calculator stores the variable under its file's name. The folder
  // lives until the send is over.
  auto folder = std::make_shared<QTemporaryDir>(QDir::tempPath() + "/dravik-send-XXXXXX");
  const std::string file = QFile::encodeName(folder->path()).toStdString() + "/" + object.name;
  if (!folder->isValid() || WritePictureFile(file, object.file, false) != PictureWriteStatus::Ok) {
    Tell("Cannot write a temporary copy of " + object.name + ".");
    return 0;
  }
  TransferJob& job = ctx_.session.Job;
  job.Clear();
  job.SendJobActive = true;  // by Kermit, whatever the last send used
  job.TransferList = {file};
  job.TransferSizes = {static_cast<uint32_t>(object.file.size())};
  return panes_.hpList->DropIntoCurrent([folder, done](const JobResult& result) {
    if (done) done(result);
  });
}

void CBackupWindow::OnExtract() {
  const QTreeWidgetItem* item = tree_->currentItem();
  if (!item) return;
  std::string folder = ctx_.session.CurrentPCFolder;
  if (folder.empty()) folder = QFile::encodeName(QDir::homePath()).toStdString() + "/";
  const std::string path = PathOf(item);
  // The question before replacing a file is ExtractTo's.
  const QString file = QFileDialog::getSaveFileName(this, "Extract", ShownName(folder + BaseName(path)),
                                                    "All files (*)", nullptr,
                                                    QFileDialog::DontConfirmOverwrite);
  if (!file.isEmpty()) ExtractTo(item, QFile::encodeName(file).toStdString());
}

void CBackupWindow::OnSend() {
  if (const QTreeWidgetItem* item = tree_->currentItem()) SendToCalculator(item);
}

}  // namespace dravik
