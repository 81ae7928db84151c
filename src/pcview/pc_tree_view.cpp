#include "pcview/pc_tree_view.h"

#include "app/app_context.h"

namespace dravik {

CPCTreeView::CPCTreeView(AppContext& ctx, QWidget* parent) : QTreeWidget(parent), ctx_(ctx) {
  setHeaderHidden(true);
}

void CPCTreeView::OnInitialUpdate() {}
void CPCTreeView::SyncToCurrentFolder() {}
bool CPCTreeView::FillFolder(QTreeWidgetItem*) { return false; }
std::string CPCTreeView::ItemPath(const QTreeWidgetItem*) const { return {}; }

}  // namespace dravik
