// What the window says about a comparison: the mark of each row of the
// two lists and its tool tip, the words of the legend, and the lines of
// the list a sync shows before it runs. Plain text from the engine's
// values, so that the marks and the sync dialog say the same.
#pragma once

#include <string>

#include "sync/comparison.h"
#include "sync/sync_plan.h"

namespace dravik {

struct RowMark {
  sync::RowState state = sync::RowState::Unknown;
  std::string tip;  // "Same", "Only on the PC", "Differs: calculator 16 bytes #B902h, ..."
};

// The mark of comparison.rows[index] as the lists show it. A directory
// that both sides have is marked by what it holds: it differs when
// anything inside differs or is on one side only.
RowMark MarkOfRow(const sync::Comparison& comparison, size_t index);

// The legend's word for a state: "Same", "Differs", "Only on the
// calculator", "Only on the PC", "Not compared".
const char* StateName(sync::RowState state);

// A checksum as the calculator lists it (decimal) in the calculator's own
// notation: "47362" -> "#B902h". Kept as it is when it is no number.
std::string ChecksumText(const std::string& listed);

// One line of the sync dialog: what happens to the action's object
// ("Copy to the PC, replacing the PC file", "Stays: changed on the PC
// since the last sync").
std::string ActionText(const sync::SyncAction& action);

}  // namespace dravik
