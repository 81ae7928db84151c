#include "jobs/progress_relay.h"

namespace dravik {

// Emitting from the link thread is safe: the queued connection copies the
// arguments into an event for the dialog's thread.
void ProgressRelay::post(int code, long value) { emit posted(code, value); }

void ProgressRelay::postItems(const std::vector<std::string>& items,
                              const std::vector<uint32_t>& sizes) {
  QStringList names;
  for (const std::string& item : items) names << QString::fromStdString(item);
  QList<quint32> bytes(sizes.begin(), sizes.end());
  emit itemsPosted(names, bytes);
}

}  // namespace dravik
