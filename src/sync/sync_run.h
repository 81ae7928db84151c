// Runs a sync plan through the Kermit link and updates the manifest.
//
// Objects are fetched in binary form, a directory's worth in one receive,
// into a staging folder inside the PC folder, checked against the
// calculator's checksums and only then moved into place. Files are sent a
// directory's worth at a time; one that replaces an object is stored
// beside it first (the calculator gives it a new name), checked, and then
// stored over the old one, so a failed send never loses the object that
// was there. Every step checks the link's m_cancel; the link's own waits
// are bounded by its time-outs.
#pragma once

#include <string>
#include <vector>

#include "link/hp48_link.h"
#include "sync/sync_plan.h"

namespace dravik::sync {

struct ActionOutcome {
  bool done = false;
  std::string error;  // why not, when not done
};

struct SyncReport {
  std::vector<ActionOutcome> outcomes;  // one per action of the plan
  size_t fetched = 0, sent = 0, made = 0, deleted = 0;
  size_t kept = 0;    // Keep actions
  size_t failed = 0;  // actions that were to run and did not
  bool cancelled = false;
  std::string error;  // the manifest could not be written
  bool ok() const { return failed == 0 && !cancelled && error.empty(); }
};

// Runs every action but Keep, in the plan's order, and saves the manifest
// with what is now in step. The link must be connected.
SyncReport RunSync(CHP48Link& link, const Comparison& comparison, const SyncPlan& plan,
                   SyncManifest& manifest, const StepReport& report = {});

}  // namespace dravik::sync
