#include "app/compare_bar.h"

#include <QLabel>

#include "app/compare_mark_look.h"
#include "app/compare_marks.h"
#include "app/compare_texts.h"
#include "pcview/pc_item.h"

namespace dravik {

CCompareBar::CCompareBar(const CompareMarks& marks, const QList<QAction*>& actions, QWidget* parent)
    : QToolBar("Compare", parent), marks_(marks) {
  setObjectName("compare");
  setMovable(false);
  setFloatable(false);
  setToolButtonStyle(Qt::ToolButtonTextOnly);
  legend_ = new QLabel;
  legend_->setTextFormat(Qt::RichText);
  legend_->setContentsMargins(4, 0, 8, 0);
  addWidget(legend_);
  addSeparator();
  addActions(actions);
  hide();
}

void CCompareBar::Update() {
  if (!marks_.Shown()) {
    hide();
    return;
  }
  const sync::Comparison& c = marks_.comparison();
  const QString calc = QString::fromStdString(c.calc_root);
  const QString pc = ShownName(c.pc_root);
  legend_->setToolTip(QStringLiteral("Compared %1 and its subdirectories with %2").arg(calc, pc));
  QStringList parts;
  for (sync::RowState state : {sync::RowState::Same, sync::RowState::Differs,
                               sync::RowState::OnlyOnCalculator, sync::RowState::OnlyOnPc,
                               sync::RowState::Unknown}) {
    parts << QStringLiteral("<span style=\"color:%1\">&#x25A0;</span>&nbsp;%2&nbsp;%3")
                 .arg(MarkColor(state).name(), QString::fromUtf8(StateName(state)))
                 .arg(marks_.CountOf(state));
  }
  legend_->setText(parts.join("&nbsp;&nbsp; "));
  show();
}

QString CCompareBar::LegendText() const { return legend_->text(); }

}  // namespace dravik
