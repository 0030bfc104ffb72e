// The engine calls the component's callbacks and streams back on threads of
// its own. The relay runs one engine call on a worker thread while the thread
// that started it delivers, in the engine's order, every event and question
// the callbacks raise: handlers only ever run on the caller's thread.
#pragma once

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

#include "platform/WinTypes.h"

class TEngineRelay {
 public:
  // The constructing thread is the one that delivers.
  TEngineRelay();
  TEngineRelay(const TEngineRelay&) = delete;
  TEngineRelay& operator=(const TEngineRelay&) = delete;

  // Runs call on a worker thread; returns its result once it has returned
  // and everything it raised was delivered. While it waits, the caller's
  // pending messages are processed at least every PumpInterval.
  HRESULT Run(const std::function<HRESULT()>& call);
  // Runs action on the caller's thread and waits for it (at once when that is
  // the calling thread). A handler's exception is kept for the caller; the
  // asking thread then gets an error that makes its callback stop the engine.
  void Ask(const std::function<void()>& action);
  // Hands the latest progress report to the caller's thread without waiting;
  // a report not delivered yet is replaced by the newer one. The caller's
  // thread is woken for reports at most once every DisplayInterval: one wake
  // per report would cost it a context switch per item.
  void Progress(std::function<void()> action);

  static constexpr int PumpInterval = 100;    // milliseconds
  static constexpr int DisplayInterval = 16;  // milliseconds: about 60 a second

 private:
  // A question is answered once its action ran; a progress report has no one waiting.
  struct TTask {
    std::function<void()> Action;
    bool* Answered;
  };
  void Deliver();
  void Perform(const std::function<void()>& action);
  void StopIfFailed() const;
  void QueueProgress();
  // Whether a report would reach the caller's thread sooner than its own
  // timed wake after the last one delivered.
  bool ReportIsDue() const;

  const std::thread::id FCaller;
  std::mutex FLock;
  std::condition_variable FWake;
  std::condition_variable FAnswered;
  std::deque<TTask> FQueue;
  std::function<void()> FProgress;
  std::chrono::steady_clock::time_point FReported;
  bool FDone = false;
  bool FFailed = false;
};
