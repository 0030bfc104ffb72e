// One profile job at a time, across processes: a lock on a file in the tool
// folder, taken before a job touches the profile and held until it ends. The
// system releases it when the process ends, however it ends.
#pragma once

#include "platform/WinTypes.h"

extern const WideString AnotherJobRuns;

class TProfileLock {
 public:
  // Takes the lock of the tool folder's profile if no job holds it.
  explicit TProfileLock(const WideString& toolDirectory);
  ~TProfileLock();
  TProfileLock(const TProfileLock&) = delete;
  TProfileLock& operator=(const TProfileLock&) = delete;

  bool Held() const { return FFile != INVALID_HANDLE_VALUE; }
  // Why it is not held, for the user.
  WideString Refusal() const;
  // Not held because another job holds it.
  bool HeldByAnother() const { return FError == ERROR_LOCK_VIOLATION; }
  // Whether a job, of this process or another, holds the lock now.
  static bool HeldByAJob(const WideString& toolDirectory);

 private:
  HANDLE FFile = INVALID_HANDLE_VALUE;
  DWORD FError = ERROR_SUCCESS;
};
