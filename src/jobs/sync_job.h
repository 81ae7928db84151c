// A sync the user confirmed, run on the line as one operation with the
// "File Transfer" dialog: the sync engine fetches or sends a calculator
// directory's worth at a time, and the dialog shows every object of the
// sync in one list with its bars. Cancel stops the sync at its next step;
// it has nothing to skip (a sync is whole or stopped).
#pragma once

#include <cstdint>
#include <functional>

#include "sync/comparison.h"
#include "sync/sync_manifest.h"
#include "sync/sync_plan.h"
#include "sync/sync_run.h"

class QWidget;

namespace dravik {

struct AppContext;

// Asks the line for the plan's sync in the plan's directory and folder;
// the manifest is the one the plan was made with, and is saved in the PC
// folder with what is in step afterwards. done runs on the GUI thread with
// the sync's report. The operation's id, 0 when the line takes no more.
uint64_t StartSync(AppContext& ctx, QWidget* parent, const sync::Comparison& comparison,
                   const sync::SyncPlan& plan, const sync::SyncManifest& manifest,
                   std::function<void(sync::SyncReport)> done);

}  // namespace dravik
