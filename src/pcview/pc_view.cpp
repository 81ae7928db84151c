#include "pcview/pc_view.h"

#include "app/app_context.h"

namespace dravik {

CPCView::CPCView(AppContext& ctx, QWidget* parent) : QTreeWidget(parent), ctx_(ctx) {
  setRootIsDecorated(false);
  setSelectionMode(QAbstractItemView::ExtendedSelection);
  setHeaderLabels({"Name", "Size"});
}

void CPCView::OnInitialUpdate() {}
void CPCView::Refresh() {}
void CPCView::ChangeFolder(const std::string&) {}
int CPCView::FillTransferList() { return 0; }
void CPCView::FinishDropOnPc() {}
void CPCView::DeleteSelection() {}
std::string CPCView::FocusedName() const {
  const QTreeWidgetItem* item = currentItem();
  return item ? item->text(0).toStdString() : std::string();
}

}  // namespace dravik
