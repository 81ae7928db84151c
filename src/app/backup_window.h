// The "Backup" window: what a backup file (the Archive command's result),
// or any calculator file in binary form, holds, as a tree of directories
// and variables with the type words, sizes and checksums the calculator's
// listing would show. One variable or a whole directory can be extracted
// to a calculator file, or sent to the calculator's current directory
// without restoring the whole memory. A damaged backup shows what could be
// read and where it breaks; nothing is written from what is damaged.
#pragma once

#include <functional>

#include <QDialog>
#include <string>

#include "app/panes.h"
#include "hpfile/calculator_file.h"
#include "jobs/transfer_job.h"

class QLabel;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace dravik {

struct AppContext;

class CBackupWindow : public QDialog {
  Q_OBJECT

 public:
  // Item data of the tree: the variable's path from the top ("GAMES/CHESS";
  // "HOME" for a backup's top row, empty for the top row of another file)
  // as a QByteArray, and whether it was read whole.
  static constexpr int kPathRole = Qt::UserRole;
  static constexpr int kWholeRole = Qt::UserRole + 1;

  // Reads the file at path and shows it in a new window (deleted when it is
  // closed). Null, after telling the user why, when the file cannot be read
  // or is no calculator file in binary form.
  static CBackupWindow* Open(AppContext& ctx, const Panes& panes, const std::string& path,
                             QWidget* parent);

  QTreeWidget* tree() const { return tree_; }
  // Where the file breaks, as told under the tree; empty when it is whole.
  QString damageText() const;

  // "Extract...": writes the item's variable (or directory) as a calculator
  // file in binary form at path, asking before a file is replaced. True
  // when it was written.
  bool ExtractTo(const QTreeWidgetItem* item, const std::string& path);
  // "Send to Calculator": sends the item's variable (or directory) into the
  // calculator's current directory through the transfer dialog, from a
  // temporary file named after it that is removed once the send is over;
  // done (may be empty) gets the job's result. The send's operation on the
  // line, or 0 (after telling why) when the item cannot be taken out of the
  // file.
  uint64_t SendToCalculator(const QTreeWidgetItem* item,
                            std::function<void(const JobResult&)> done = {});

 private:
  CBackupWindow(AppContext& ctx, const Panes& panes, const std::string& path, CalculatorFile file,
                QWidget* parent);
  void Fill();
  void UpdateButtons();
  void OnExtract();
  void OnSend();
  // Takes the item's variable out of the file; false after telling why.
  bool Take(const QTreeWidgetItem* item, struct ExtractedObject* object);
  void Tell(const std::string& text);

  AppContext& ctx_;
  Panes panes_;
  std::string path_;
  CalculatorFile file_;
  QTreeWidget* tree_ = nullptr;
  QLabel* damage_ = nullptr;
  QPushButton* extract_ = nullptr;
  QPushButton* send_ = nullptr;
};

}  // namespace dravik
