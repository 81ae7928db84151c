#include "cli/interrupt.h"

#include <signal.h>

#include <array>

namespace dravik::cli {
namespace {

// Signal handlers reach data only through objects of static duration; these
// are the only ones, and they hold nothing but lock-free atomics.
constexpr int kSlots = 4;
std::atomic<bool> g_interrupted{false};
std::array<std::atomic<std::atomic<int>*>, kSlots> g_targets{};

static_assert(std::atomic<bool>::is_always_lock_free);
static_assert(std::atomic<std::atomic<int>*>::is_always_lock_free);
static_assert(std::atomic<int>::is_always_lock_free);

extern "C" void OnInterrupt(int) {
  g_interrupted.store(true);
  for (auto& target : g_targets)
    if (std::atomic<int>* flag = target.load()) flag->store(1);
}

}  // namespace

void InstallInterruptHandlers() {
  struct sigaction action {};
  action.sa_handler = OnInterrupt;
  sigemptyset(&action.sa_mask);
  action.sa_flags = 0;  // no SA_RESTART: a waiting poll returns at once
  for (int sig : {SIGINT, SIGTERM, SIGHUP}) sigaction(sig, &action, nullptr);
  signal(SIGPIPE, SIG_IGN);
}

bool Interrupted() { return g_interrupted.load(); }

InterruptTarget::InterruptTarget(std::atomic<int>& cancel_flag) {
  for (int i = 0; i < kSlots; ++i) {
    std::atomic<int>* empty = nullptr;
    if (g_targets[i].compare_exchange_strong(empty, &cancel_flag)) {
      slot_ = i;
      break;
    }
  }
  if (g_interrupted.load()) cancel_flag.store(1);
}

InterruptTarget::~InterruptTarget() {
  if (slot_ >= 0) g_targets[slot_].store(nullptr);
}

}  // namespace dravik::cli
