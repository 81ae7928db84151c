// The progress sink of a job's dialog: what the link posts, from whichever
// thread, arrives at the dialog on the GUI thread, in order and without
// blocking the poster.
#pragma once

#include <QObject>

#include "link/ui_boundary.h"

namespace dravik {

class ProgressRelay : public QObject, public ProgressSink {
  Q_OBJECT

 public:
  using QObject::QObject;
  void post(int code, long value) override;

 signals:
  // Connect it queued: a post from the GUI thread itself (the XModem
  // preparation) must not re-enter the dialog either.
  void posted(int code, long value);
};

}  // namespace dravik
