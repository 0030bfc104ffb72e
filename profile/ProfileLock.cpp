#include "profile/ProfileLock.h"

#include <chrono>
#include <thread>

#include "platform/FileApi.h"
#include "platform/LastError.h"
#include "profile/JobLog.h"

const WideString AnotherJobRuns = u"Another backup or restore of this profile is running. Nothing was changed.";

namespace {

const WideString LockFileName = u".orvo-job-lock";

HANDLE LockedFile(const WideString& toolDirectory) {
  const HANDLE file = CreateFileW((toolDirectory + LockFileName).c_str(), GENERIC_READ | GENERIC_WRITE,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return file;
  if (LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 0xFFFFFFFF, 0xFFFFFFFF, nullptr)) return file;
  const DWORD error = GetLastError();
  CloseHandle(file);
  SetLastError(error);
  return INVALID_HANDLE_VALUE;
}

}  // namespace

// A window looks at the lock now and then, holding it for a moment: a job
// that finds it held tries again for a while before it gives up.
TProfileLock::TProfileLock(const WideString& toolDirectory) {
  for (int tries = 0; tries < 50; ++tries) {
    FFile = LockedFile(toolDirectory);
    FError = GetLastError();
    if (Held() || FError != ERROR_LOCK_VIOLATION) return;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
}

WideString TProfileLock::Refusal() const {
  if (FError == ERROR_LOCK_VIOLATION) return AnotherJobRuns;
  return u"The job could not take the lock of this profile: " + SystemErrorText(static_cast<Int32>(FError)) +
         u" Nothing was changed.";
}

TProfileLock::~TProfileLock() {
  if (Held()) CloseHandle(FFile);
}

bool TProfileLock::HeldByAJob(const WideString& toolDirectory) {
  const HANDLE file = LockedFile(toolDirectory);
  if (file == INVALID_HANDLE_VALUE) return GetLastError() == ERROR_LOCK_VIOLATION;
  CloseHandle(file);
  return false;
}
