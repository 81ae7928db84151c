#include "jobs/progress_relay.h"

namespace dravik {

// Emitting from the worker thread is safe: the queued connection copies
// the arguments into an event for the dialog's thread.
void ProgressRelay::post(int code, long value) { emit posted(code, value); }

}  // namespace dravik
