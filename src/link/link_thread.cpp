#include "link/link_thread.h"

#include <algorithm>
#include <utility>

#include "link/operation_log.h"

namespace dravik {
namespace {

// The window as the link thread sees it: message boxes, the settings dialog
// and the status bar pass through; the wait cursor does not, since the
// window is not busy while the line is.
class LineWindow : public MainWindowHandle {
 public:
  explicit LineWindow(std::shared_ptr<MainWindowHandle> window) : window_(std::move(window)) {}
  MessageAnswer ShowMessage(std::string_view text, std::string_view caption, MessageIcon icon,
                            MessageButtons buttons) override {
    return window_ ? window_->ShowMessage(text, caption, icon, buttons) : MessageAnswer::Cancel;
  }
  void ShowNoResponse(std::string_view text) override {
    if (window_) window_->ShowNoResponse(text);
  }
  SettingsAnswer RunCommSettingsDialog(LinkSettings& settings) override {
    return window_ ? window_->RunCommSettingsDialog(settings) : SettingsAnswer::Cancel;
  }
  void SetStatusText(std::string_view text) override {
    if (window_) window_->SetStatusText(text);
  }
  void SetWaitCursor(bool) override {}

 private:
  std::shared_ptr<MainWindowHandle> window_;
};

}  // namespace

// One operation asked of the line.
struct LineOperation {
  uint64_t id = 0;
  std::string what;
  LineRequest request;
  LinkThread::Work work;
};

// Everything the thread uses, shared with it so that a thread left running
// at shutdown never outlives what it works on: the window boundary, the log
// and the trace (in the session) are held here too.
struct LinkThreadCore {
  LinkThreadCore(std::shared_ptr<MainWindowHandle> owner, std::shared_ptr<OperationLog> shared_log)
      : window(std::make_unique<LineWindow>(std::move(owner))), log(std::move(shared_log)) {
    session.MainWindow = window.get();
    session.Log = log.get();
  }
  ~LinkThreadCore() {
    kermit.CloseAll();
    xmodem.CloseAll();
  }
  void CancelRunning() {
    stopAskedId = runningId;
    kermit.Cancel();
    xmodem.Cancel();
  }
  // Stop, as the user's button asks it: the log says so.
  void StopRunning() {
    CancelRunning();
    if (session.Log) session.Log->NoteStopped();
  }
  void RunOne(LineOperation& op);

  Session session;
  std::unique_ptr<MainWindowHandle> window;
  std::shared_ptr<OperationLog> log;
  CHP48Link kermit{session};
  CXModemLink xmodem{session};
  mutable std::mutex mutex;
  std::condition_variable wake;
  std::condition_variable ended;
  std::deque<LineOperation> waiting;
  uint64_t nextId = 1;
  uint64_t runningId = 0;
  std::string running;
  uint64_t skipAskedId = 0;
  uint64_t stopAskedId = 0;
  bool quit = false;
  bool over = false;
  std::function<void()> changed;
};

LinkThread::LinkThread(std::shared_ptr<MainWindowHandle> window, std::shared_ptr<OperationLog> log,
                       std::function<void()> changed)
    : core_(std::make_shared<LinkThreadCore>(std::move(window), std::move(log))) {
  core_->changed = std::move(changed);
  thread_ = std::thread(&LinkThread::Run, core_);
}

LinkThread::~LinkThread() {
  // A thread already left to end on its own holds what it needs.
  if (thread_.joinable()) Shutdown(std::chrono::seconds(10));
}

uint64_t LinkThread::Post(std::string what, LineRequest request, Work work) {
  uint64_t id = 0;
  {
    std::lock_guard<std::mutex> lock(core_->mutex);
    if (core_->quit) return 0;
    id = core_->nextId++;
    core_->waiting.push_back({id, std::move(what), std::move(request), std::move(work)});
  }
  core_->wake.notify_one();
  if (core_->changed) core_->changed();
  return id;
}

bool LinkThread::Withdraw(uint64_t id) {
  LineOperation gone;
  {
    std::lock_guard<std::mutex> lock(core_->mutex);
    auto& waiting = core_->waiting;
    auto it = std::find_if(waiting.begin(), waiting.end(),
                           [id](const LineOperation& op) { return op.id == id; });
    if (it == waiting.end()) return false;
    gone = std::move(*it);
    waiting.erase(it);
  }
  // The work and what it holds go outside the lock.
  gone = {};
  if (core_->changed) core_->changed();
  return true;
}

void LinkThread::Stop() {
  std::lock_guard<std::mutex> lock(core_->mutex);
  if (core_->runningId != 0) core_->StopRunning();
}

void LinkThread::Cancel(uint64_t id) {
  std::lock_guard<std::mutex> lock(core_->mutex);
  if (core_->runningId == id && id != 0) core_->CancelRunning();
}

void LinkThread::SkipCurrent(uint64_t id) {
  std::lock_guard<std::mutex> lock(core_->mutex);
  if (core_->runningId != id || id == 0) return;
  core_->skipAskedId = id;
  core_->kermit.SkipCurrent();
  core_->xmodem.SkipCurrent();
}

void LinkThread::SkipAll(uint64_t id) {
  std::lock_guard<std::mutex> lock(core_->mutex);
  if (core_->runningId != id || id == 0) return;
  core_->skipAskedId = id;
  core_->kermit.SkipAll();
  core_->xmodem.SkipAll();
}

bool LinkThread::SkipAsked(uint64_t id) const {
  std::lock_guard<std::mutex> lock(core_->mutex);
  return id != 0 && core_->skipAskedId == id;
}

bool LinkThread::StopAsked(uint64_t id) const {
  std::lock_guard<std::mutex> lock(core_->mutex);
  return id != 0 && core_->stopAskedId == id;
}

LineQueue LinkThread::Queue() const {
  std::lock_guard<std::mutex> lock(core_->mutex);
  LineQueue queue;
  queue.runningId = core_->runningId;
  queue.running = core_->running;
  for (const LineOperation& op : core_->waiting) queue.waiting.emplace_back(op.id, op.what);
  return queue;
}

bool LinkThread::Shutdown(std::chrono::milliseconds bound) {
  std::deque<LineOperation> dropped;
  {
    std::unique_lock<std::mutex> lock(core_->mutex);
    // Left to end on its own by an earlier call: whether it has by now.
    if (!thread_.joinable()) return core_->over;
    core_->quit = true;
    dropped.swap(core_->waiting);
    if (core_->runningId != 0) core_->StopRunning();
    core_->wake.notify_one();
    if (!core_->ended.wait_for(lock, bound, [this] { return core_->over; })) {
      // Still in an operation: it keeps the core alive and ends by itself.
      lock.unlock();
      thread_.detach();
      return false;
    }
  }
  thread_.join();
  return true;
}

void LinkThreadCore::RunOne(LineOperation& op) {
  session.CurrentHPPath = op.request.CurrentHPPath;
  session.CurrentPCFolder = op.request.CurrentPCFolder;
  session.Job = std::move(op.request.Job);
  session.ProgressWindow = nullptr;
  LineSide side{session, kermit, xmodem, *this, op.id};
  op.work(side);
  session.ProgressWindow = nullptr;
  session.Job.Clear();
}

void LinkThread::Run(std::shared_ptr<LinkThreadCore> core) {
  for (;;) {
    LineOperation op;
    {
      std::unique_lock<std::mutex> lock(core->mutex);
      core->wake.wait(lock, [&] { return core->quit || !core->waiting.empty(); });
      if (core->waiting.empty()) break;  // quit, nothing left
      op = std::move(core->waiting.front());
      core->waiting.pop_front();
      core->runningId = op.id;
      core->running = op.what;
      // Flags of an earlier operation never reach this one.
      core->kermit.ClearFlags();
      core->xmodem.ClearFlags();
    }
    if (core->changed) core->changed();
    core->RunOne(op);
    op = {};
    {
      std::lock_guard<std::mutex> lock(core->mutex);
      core->runningId = 0;
      core->running.clear();
      core->kermit.ClearFlags();
      core->xmodem.ClearFlags();
    }
    if (core->changed) core->changed();
  }
  // The port goes back before anyone waiting for the end is told.
  core->kermit.CloseAll();
  core->xmodem.CloseAll();
  {
    std::lock_guard<std::mutex> lock(core->mutex);
    core->over = true;
  }
  core->ended.notify_all();
}

bool LineSide::StopAsked() const {
  std::lock_guard<std::mutex> lock(core.mutex);
  return core.stopAskedId == id;
}

bool LineSide::SkipAsked() const {
  std::lock_guard<std::mutex> lock(core.mutex);
  return core.skipAskedId == id;
}

LineState StateOf(const LineSide& side) {
  LineState state;
  state.HPWorkingPath = side.session.HPWorkingPath;
  state.BinaryMode = side.session.BinaryMode;
  state.Model = side.session.Model;
  state.Leftovers = side.session.Leftovers;
  state.Settings = side.session.Settings;
  state.LinkClosedByUser = side.session.LinkClosedByUser;
  state.DevicePath = side.kermit.DevicePath();
  state.PortOpen = side.kermit.IsOpen() || side.xmodem.IsOpen();
  return state;
}

}  // namespace dravik
