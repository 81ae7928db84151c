// CompareMarks: the result of "Compare with PC folder" shown in the
// calculator object list and the PC file list. Each row of the compared
// directory and folder gets the mark of its state and a tool tip that
// names the difference; "Show differences only" hides the rows marked
// same.
//
// The marks belong to what was compared: they go as soon as either list
// shows another directory or folder, or reads its own again (F5, a
// transfer's end), since the comparison may no longer be true. A list
// that only fills itself again from what it knows keeps them.
#pragma once

#include <QObject>
#include <QString>
#include <array>

#include "sync/comparison.h"
#include "sync/sync_manifest.h"

class QTreeWidget;

namespace dravik {

class CPCView;
class CRemoteView;
struct Session;

class CompareMarks : public QObject {
  Q_OBJECT

 public:
  // The lists show what session says (CurrentHPPath, CurrentPCFolder).
  CompareMarks(const Session& session, CRemoteView* calcList, CPCView* pcList,
               QObject* parent = nullptr);

  // Marks the rows of both lists, which show the comparison's directory
  // and folder. The manifest is the one the comparison was made with: a
  // sync plans from both.
  void Show(sync::Comparison comparison, sync::SyncManifest manifest);
  // Takes every mark away; the hidden rows show again.
  void Clear();
  bool Shown() const { return shown_; }
  const sync::Comparison& comparison() const { return comparison_; }
  const sync::SyncManifest& manifest() const { return manifest_; }

  // "Show differences only": rows marked same are hidden while on.
  void SetDifferencesOnly(bool on);
  bool DifferencesOnly() const { return differencesOnly_; }

  // How many objects of the comparison (subdirectories included) are in a
  // state; a directory both sides have counts by what it holds.
  int CountOf(sync::RowState state) const { return counts_[static_cast<size_t>(state)]; }

  // While one lives, the lists may fill themselves again without the marks
  // going: the window refreshes them for a comparison it is about to show.
  class Refilling {
   public:
    explicit Refilling(CompareMarks& marks) : marks_(marks) { ++marks_.refilling_; }
    ~Refilling() { --marks_.refilling_; }
    Refilling(const Refilling&) = delete;
    Refilling& operator=(const Refilling&) = delete;

   private:
    CompareMarks& marks_;
  };

 signals:
  // Marks were shown or taken away.
  void changed();

 private:
  void OnCalcRowsReplaced(bool listingRead);
  void OnPcRowsReplaced();
  void MarkCalcList();
  void MarkPcList();
  void ApplyFilter(QTreeWidget* list);
  static void Unmark(QTreeWidget* list);

  const Session& session_;
  CRemoteView* calcList_;
  CPCView* pcList_;
  sync::Comparison comparison_;
  sync::SyncManifest manifest_;
  bool shown_ = false;
  bool differencesOnly_ = false;
  int refilling_ = 0;
  std::array<int, 5> counts_{};
};

}  // namespace dravik
