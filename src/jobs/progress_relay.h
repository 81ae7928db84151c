// The progress sink of a job's dialog: what the link posts on its own
// thread arrives at the dialog on the GUI thread, in order and without
// blocking the poster. It also carries the job's items once the calculator
// has prepared an XModem job (it may refuse some).
#pragma once

#include <QObject>
#include <QStringList>
#include <cstdint>
#include <vector>

#include "link/ui_boundary.h"

namespace dravik {

class ProgressRelay : public QObject, public ProgressSink {
  Q_OBJECT

 public:
  using QObject::QObject;
  void post(int code, long value) override;
  void postItems(const std::vector<std::string>& items, const std::vector<uint32_t>& sizes);

 signals:
  // Connect them queued: the dialog takes them on its own thread.
  void posted(int code, long value);
  void itemsPosted(QStringList items, QList<quint32> sizes);
};

}  // namespace dravik
