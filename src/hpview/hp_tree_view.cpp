#include "hpview/hp_tree_view.h"

#include "app/app_context.h"

namespace dravik {

CHPTreeView::CHPTreeView(AppContext& ctx, QWidget* parent) : QTreeWidget(parent), ctx_(ctx) {
  setHeaderHidden(true);
}

void CHPTreeView::OnInitialUpdate() {}
void CHPTreeView::SyncToPath() {}
void CHPTreeView::RebuildTree() {}
void CHPTreeView::AddChildren(QTreeWidgetItem*) {}
void CHPTreeView::RemoveChild(const std::string&) {}
void CHPTreeView::ShowReadingAll() {}
std::string CHPTreeView::ItemPath(const QTreeWidgetItem*) const { return "HOME\\"; }

}  // namespace dravik
