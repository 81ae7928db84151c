// "Check out": the icons of the PC list's files by name and content, and the
// desktop's own icons for the rest.
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTimer>

#include "app/app_context.h"
#include "pcview/pc_file_kind.h"
#include "pcview/pc_item.h"
#include "pcview/pc_view.h"

namespace dravik {

namespace {
// Set on a file item once it has its "Check out" icon.
constexpr int kClassifiedRole = Qt::UserRole + 4;
}  // namespace

int CPCView::ClassifyFile(QTreeWidgetItem* item) {
  const std::string name = ItemName(item);
  const std::string path = ctx_.session.CurrentPCFolder + name;
  int slot = ClassifyByName(name);
  if (slot == 0) slot = ClassifyByContent(path);
  if (slot > 0) return slot;
  // The desktop's icon goes into the next dynamic slot; each listing reuses
  // the slots of the one before.
  slot = nextDynamicSlot_++;
  QIcon icon = iconProvider_.icon(QFileInfo(ShownName(path)));
  if (slot < static_cast<int>(images_.size()))
    images_[slot] = std::move(icon);
  else
    images_.push_back(std::move(icon));
  return slot;
}

void CPCView::ClassifySome(int budgetMs) {
  QElapsedTimer clock;
  clock.start();
  const int count = topLevelItemCount();
  while (classifyNext_ < count && clock.elapsed() < budgetMs) {
    QTreeWidgetItem* item = topLevelItem(classifyNext_++);
    if (item->data(0, kKindRole).toInt() != kFileItem || item->data(0, kClassifiedRole).toBool())
      continue;
    SetIconSlot(item, ClassifyFile(item));
    item->setData(0, kClassifiedRole, true);
  }
  if (!ClassificationPending()) classifyTimer_->stop();
}

void CPCView::ClassifyRemaining() {
  while (ClassificationPending()) ClassifySome(1000);
}

}  // namespace dravik
