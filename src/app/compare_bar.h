// CCompareBar: the strip under the panes while compare marks are shown.
// It holds the legend of the marks (each state's colour and how many
// objects are in it; its tool tip says what was compared) and the
// commands that work on the comparison: "Show differences only" and the
// two syncs. It is kept short enough for the window's starting width.
#pragma once

#include <QToolBar>

class QLabel;

namespace dravik {

class CompareMarks;

class CCompareBar : public QToolBar {
  Q_OBJECT

 public:
  // actions: the commands the bar offers, after the legend.
  CCompareBar(const CompareMarks& marks, const QList<QAction*>& actions, QWidget* parent = nullptr);

  // The bar follows the marks: shown with their legend, hidden without.
  void Update();
  // The legend as shown (rich text), for tests and the screenshot.
  QString LegendText() const;

 private:
  const CompareMarks& marks_;
  QLabel* legend_ = nullptr;
};

}  // namespace dravik
