// The compare and sync commands of CMainFrame: "Compare with PC folder"
// reads the calculator directory the object list shows (with everything
// below it) and the PC folder the file list shows on the line and marks
// the rows of both lists; "Sync to PC" and "Sync to calculator" bring
// across what the marks show, after the user has seen the list, and
// compare again.
#include <QAction>
#include <QStatusBar>
#include <QTreeWidget>

#include "app/app_context.h"
#include "app/compare_bar.h"
#include "app/compare_marks.h"
#include "app/main_frame.h"
#include "app/sync_plan_dlg.h"
#include "app/window_boundary.h"
#include "hpview/remote_view.h"
#include "jobs/sync_job.h"
#include "link/hp48_listing_link.h"
#include "listing/hp_path.h"
#include "pcview/pc_item.h"
#include "pcview/pc_view.h"

namespace dravik {
namespace {

// What a compare hands back from the line.
struct Compared {
  sync::Comparison comparison;
  sync::SyncManifest manifest;
  // The compared directory's own listing, read in the same operation, so
  // that the object list shows the rows the marks are about.
  bool listed = false;
  ListingEntry listing;
};

}  // namespace

void CMainFrame::CreateCompareMarks() {
  marks_ = new CompareMarks(ctx_.session, panes_.hpList, panes_.pcList, this);
  compareBar_ = new CCompareBar(*marks_,
                                {action(Command::DifferencesOnly), action(Command::SyncToPc),
                                 action(Command::SyncToCalculator)},
                                this);
  addToolBar(Qt::BottomToolBarArea, compareBar_);
  connect(marks_, &CompareMarks::changed, this, &CMainFrame::CompareMarksChanged);
  connect(action(Command::DifferencesOnly), &QAction::toggled, marks_,
          &CompareMarks::SetDifferencesOnly);
}

void CMainFrame::CompareMarksChanged() {
  const bool shown = marks_->Shown();
  action(Command::SyncToPc)->setEnabled(shown && syncId_ == 0);
  action(Command::SyncToCalculator)->setEnabled(shown && syncId_ == 0);
  compareBar_->Update();
}

void CMainFrame::OnCompare() {
  if (ctx_.session.CurrentPCFolder.empty()) {
    ShowPcMessage(ctx_, "Choose a PC folder to compare with first.", "ERROR", MessageIcon::Error);
    return;
  }
  CompareShown();
}

void CMainFrame::CompareShown(std::function<void()> then) {
  // One compare at a time; the one on its way shows what is there.
  if (compareId_ != 0) return;
  const std::string calc = ctx_.session.CurrentHPPath;
  const std::string pc = ctx_.session.CurrentPCFolder;
  LineRequest request = ctx_.line.RequestHere();
  request.Job = {};
  compareId_ = ctx_.line.Run<Compared>(
      "Comparing " + calc + " with " + pc, std::move(request),
      [calc, pc](LineSide& line) {
        Compared out;
        out.manifest = sync::SyncManifest::Load(pc, calc);
        ListingCache scratch(line.session);
        HP48ListingLink link(line.kermit);
        if (scratch.ReadListing(link))
          if (const ListingEntry* e = scratch.Entry(calc)) {
            out.listed = true;
            out.listing = *e;
          }
        sync::CompareOptions options;
        // Files in text form stay not compared: settling them would send
        // each to the calculator.
        options.fetch_unknown = false;
        Session& session = line.session;
        options.report = [&session](const std::string& what) {
          if (session.MainWindow) session.MainWindow->SetStatusText(what);
        };
        out.comparison = sync::Compare(line.kermit, calc, pc, out.manifest, options);
        return out;
      },
      [this, calc, pc, then](Compared out) {
        compareId_ = 0;
        if (out.listed) ctx_.cache.Store(std::move(out.listing));
        const bool still_here =
            ctx_.session.CurrentHPPath == calc && ctx_.session.CurrentPCFolder == pc;
        if (!out.comparison.ok) {
          marks_->Clear();
          if (out.comparison.error != "cancelled")
            boundary_.ShowMessage("Cannot compare " + calc + " with " + pc + ": " +
                                      out.comparison.error + ".",
                                  "ERROR", MessageIcon::Error, MessageButtons::Ok);
        } else if (still_here) {
          // Both lists show what was compared, then get their marks.
          CompareMarks::Refilling refilling(*marks_);
          panes_.hpList->RefreshList();
          panes_.pcList->Refresh();
          marks_->Show(std::move(out.comparison), std::move(out.manifest));
        }
        if (then) then();
      });
}

void CMainFrame::OnSyncToPc() { Sync(true); }
void CMainFrame::OnSyncToCalculator() { Sync(false); }

void CMainFrame::Sync(bool toPc) {
  if (!marks_->Shown() || syncId_ != 0) return;
  sync::SyncOptions options;
  options.direction = toPc ? sync::SyncDirection::ToPc : sync::SyncDirection::ToCalculator;
  const sync::SyncPlan plan = sync::PlanSync(marks_->comparison(), marks_->manifest(), options);
  CSyncPlanDlg confirm(plan, this);
  if (confirm.exec() != QDialog::Accepted) return;
  const std::string calc = plan.calc_root;
  syncId_ = StartSync(ctx_, this, marks_->comparison(), plan, marks_->manifest(),
                      [this, plan, calc, toPc](sync::SyncReport report) {
                        syncId_ = 0;
                        // The calculator's directories changed: they are read again.
                        if (!toPc)
                          for (int i = 0; const ListingEntry* e = ctx_.cache.EntryAt(i); ++i)
                            if (hp_path::IsWithin(e->Path, calc)) ctx_.cache.MarkStale(e->Path);
                        if (!report.ok() && !report.cancelled) {
                          std::string text = "The sync did not bring everything across:";
                          for (size_t i = 0; i < plan.actions.size(); ++i) {
                            const sync::ActionOutcome& done = report.outcomes[i];
                            if (plan.actions[i].kind == sync::ActionKind::Keep || done.done) continue;
                            text += "\n" + plan.actions[i].row.key + ": " + done.error;
                          }
                          if (!report.error.empty()) text += "\n" + report.error;
                          boundary_.ShowMessage(text, "ERROR", MessageIcon::Error,
                                                MessageButtons::Ok);
                        }
                        CompareMarksChanged();
                        // The marks show what the sync left.
                        if (ctx_.session.CurrentHPPath == calc &&
                            ctx_.session.CurrentPCFolder == plan.pc_root)
                          CompareShown();
                        else
                          marks_->Clear();
                      });
  CompareMarksChanged();
}

}  // namespace dravik
