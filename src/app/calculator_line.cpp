#include "app/calculator_line.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QMetaObject>

namespace dravik {

void CalculatorLine::Outbox::Deliver(std::function<void(CalculatorLine&)> delivery) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (!line_) return;
  CalculatorLine* line = line_;
  QMetaObject::invokeMethod(
      line, [line, delivery = std::move(delivery)] { delivery(*line); }, Qt::QueuedConnection);
}

void CalculatorLine::Outbox::Close() {
  std::lock_guard<std::mutex> lock(mutex_);
  line_ = nullptr;
}

CalculatorLine::CalculatorLine(Session& session, std::shared_ptr<OperationLog> log,
                               QObject* parent)
    : QObject(parent),
      session_(session),
      boundary_(std::make_shared<LineBoundary>(this)),
      outbox_(std::make_shared<Outbox>(this)) {
  // The thread's "something changed" reaches the GUI thread as a signal.
  auto outbox = outbox_;
  thread_ = std::make_unique<LinkThread>(boundary_, std::move(log), [outbox] {
    outbox->Deliver([](CalculatorLine& line) { emit line.changed(); });
  });
}

CalculatorLine::~CalculatorLine() {
  Shutdown(5000);
  outbox_->Close();
}

LineRequest CalculatorLine::RequestHere() const {
  LineRequest request;
  request.CurrentHPPath = session_.CurrentHPPath;
  request.CurrentPCFolder = session_.CurrentPCFolder;
  request.Job = session_.Job;
  return request;
}

uint64_t CalculatorLine::Post(std::string what, LineRequest request, LinkThread::Work work) {
  if (closed_) return 0;
  ++underway_;
  const uint64_t id = thread_->Post(std::move(what), std::move(request), std::move(work));
  if (id == 0) --underway_;  // the line is shutting down
  return id;
}

void CalculatorLine::TakeState(const LineState& state) {
  session_.HPWorkingPath = state.HPWorkingPath;
  session_.BinaryMode = state.BinaryMode;
  session_.Model = state.Model;
  session_.Leftovers = state.Leftovers;
  session_.Settings = state.Settings;
  session_.LinkClosedByUser = state.LinkClosedByUser;
  devicePath_ = state.DevicePath;
  portOpen_ = state.PortOpen;
}

void CalculatorLine::Delivered() {
  --underway_;
  emit changed();
}

void CalculatorLine::Stop() { thread_->Stop(); }

void CalculatorLine::Close() {
  closed_ = true;
  for (const auto& [id, what] : thread_->Queue().waiting) Withdraw(id);
  thread_->Stop();
  boundary_->Close();
}

bool CalculatorLine::Withdraw(uint64_t id) {
  if (!thread_->Withdraw(id)) return false;
  --underway_;
  emit changed();
  return true;
}

void CalculatorLine::SkipCurrent(uint64_t id) { thread_->SkipCurrent(id); }
void CalculatorLine::SkipAll(uint64_t id) { thread_->SkipAll(id); }
void CalculatorLine::Cancel(uint64_t id) { thread_->Cancel(id); }

LineQueue CalculatorLine::Queue() const { return thread_->Queue(); }

bool CalculatorLine::Busy() const { return !thread_->Queue().Idle(); }

QString CalculatorLine::BusyText() const {
  const LineQueue queue = thread_->Queue();
  QString text = QString::fromStdString(queue.running);
  if (!queue.waiting.empty()) {
    const QString waiting = QStringLiteral("%1 waiting").arg(queue.waiting.size());
    text = text.isEmpty() ? waiting : text + ", " + waiting;
  }
  return text;
}

bool CalculatorLine::Settle(int timeoutMs) {
  QDeadlineTimer deadline(timeoutMs);
  while (underway_ > 0 || !thread_->Queue().Idle()) {
    if (deadline.hasExpired()) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
  }
  // Whatever the last results queued (a refresh, a repaint) runs too.
  QCoreApplication::processEvents();
  return true;
}

bool CalculatorLine::Shutdown(int boundMs) {
  // A box the thread waits for would hold it for the whole bound.
  boundary_->Close();
  return thread_->Shutdown(std::chrono::milliseconds(boundMs));
}

}  // namespace dravik
