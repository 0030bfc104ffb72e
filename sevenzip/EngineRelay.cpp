#include "sevenzip/EngineRelay.h"

#include <chrono>
#include <utility>

#include "platform/UserInterface.h"
#include "sevenzip/EngineGuard.h"

namespace {

// Thrown on an engine thread once a handler failed: its callback then answers
// the engine with failure. The handler's own error was kept for the caller.
struct THandlerFailed {};

using TClock = std::chrono::steady_clock;

}  // namespace

TEngineRelay::TEngineRelay() : FCaller(std::this_thread::get_id()) {}

HRESULT TEngineRelay::Run(const std::function<HRESULT()>& call) {
  HRESULT result = E_ABORT;
  std::thread worker([&] {
    result = EngineGuard(call);
    const std::lock_guard lock(FLock);
    FDone = true;
    FWake.notify_one();
  });
  Deliver();
  worker.join();
  return result;
}

void TEngineRelay::Ask(const std::function<void()>& action) {
  if (std::this_thread::get_id() == FCaller) return action();
  bool answered = false;
  std::unique_lock lock(FLock);
  StopIfFailed();
  QueueProgress();
  FQueue.push_back({std::ref(action), &answered});
  FWake.notify_one();
  FAnswered.wait(lock, [&] { return answered; });
  StopIfFailed();
}

void TEngineRelay::Progress(std::function<void()> action) {
  if (std::this_thread::get_id() == FCaller) return action();
  const std::lock_guard lock(FLock);
  StopIfFailed();
  const bool waiting = static_cast<bool>(FProgress);
  FProgress = std::move(action);
  if (!waiting && ReportIsDue()) FWake.notify_one();
}

// Within DisplayInterval of the last report delivered, the caller's thread
// wakes by itself when that interval ends; after it, it sleeps until woken.
bool TEngineRelay::ReportIsDue() const {
  return TClock::now() - FReported >= std::chrono::milliseconds(DisplayInterval);
}

// A report that waits goes before a question, so that both arrive in the
// order the engine raised them.
void TEngineRelay::QueueProgress() {
  if (FProgress) FQueue.push_back({std::exchange(FProgress, nullptr), nullptr});
}

void TEngineRelay::StopIfFailed() const {
  if (FFailed) throw THandlerFailed();
}

// Questions and reports in arrival order until the call has returned; the
// caller's messages are processed whenever PumpInterval has passed, also
// while the engine reports nothing, so that its window stays live. Reports
// are taken at the display's pace: a report raised within DisplayInterval of
// the last one delivered waits for the end of that interval.
void TEngineRelay::Deliver() {
  const auto interval = std::chrono::milliseconds(PumpInterval);
  const auto display = std::chrono::milliseconds(DisplayInterval);
  auto pumped = TClock::now();
  std::unique_lock lock(FLock);
  for (;;) {
    if (TClock::now() - pumped >= interval) {
      lock.unlock();
      Perform(ProcessPendingMessages);
      pumped = TClock::now();
      lock.lock();
    } else if (!FQueue.empty()) {
      const TTask task = std::move(FQueue.front());
      FQueue.pop_front();
      lock.unlock();
      Perform(task.Action);
      lock.lock();
      if (task.Answered) {
        *task.Answered = true;
        FAnswered.notify_all();
      }
    } else if (FProgress && (FDone || ReportIsDue())) {
      const std::function<void()> report = std::exchange(FProgress, nullptr);
      FReported = TClock::now();
      lock.unlock();
      Perform(report);
      lock.lock();
    } else if (FDone && !FProgress) {
      return;
    } else {
      FWake.wait_until(lock, ReportIsDue() ? pumped + interval : std::min(pumped + interval, FReported + display));
    }
  }
}

void TEngineRelay::Perform(const std::function<void()>& action) {
  try {
    action();
  } catch (...) {
    KeepEngineError(std::current_exception());
    const std::lock_guard lock(FLock);
    FFailed = true;
  }
}
