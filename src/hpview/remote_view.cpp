#include "hpview/remote_view.h"

#include "app/app_context.h"

namespace dravik {

CRemoteView::CRemoteView(AppContext& ctx, QWidget* parent) : QTreeWidget(parent), ctx_(ctx) {
  setRootIsDecorated(false);
  setSelectionMode(QAbstractItemView::ExtendedSelection);
  setHeaderLabels({"Name", "Size", "Type"});
}

void CRemoteView::OnInitialUpdate() {}
void CRemoteView::RefreshList() {}
void CRemoteView::ShowReading(const std::string&) {}
int CRemoteView::CollectSelection() { return 0; }
void CRemoteView::DropIntoCurrent() {}
void CRemoteView::MoveSelectionTo(const std::string&) {}
void CRemoteView::DeleteSelection() {}

}  // namespace dravik
