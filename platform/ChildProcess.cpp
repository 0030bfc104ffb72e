#include "platform/ChildProcess.h"

#include <signal.h>
#include <sys/wait.h>

#include <chrono>
#include <thread>

#include "platform/HostObject.h"
#include "platform/LastError.h"
#include "platform/ProcessApi.h"

namespace {

class TChildProcess : public THostObject {
 public:
  explicit TChildProcess(pid_t id) : FId(id) {}
  ~TChildProcess() override { Reap(WNOHANG); }
  TChildProcess(const TChildProcess&) = delete;
  TChildProcess& operator=(const TChildProcess&) = delete;

  // Whether the child has ended (collected with waitpid options).
  bool Reap(int options) {
    if (FEnded) return true;
    int status = 0;
    if (waitpid(FId, &status, options) != FId) return false;
    FEnded = true;
    FExitCode = WIFEXITED(status) ? static_cast<DWORD>(WEXITSTATUS(status)) : FExitCode;
    return true;
  }
  bool Ended() const { return FEnded; }
  DWORD ExitCode() const { return FEnded ? FExitCode : STILL_ACTIVE; }
  void Kill(UINT exitCode) {
    if (FEnded) return;
    FExitCode = exitCode;
    kill(FId, SIGKILL);
    Reap(0);
  }

 private:
  pid_t FId;
  bool FEnded = false;
  // A child ended by a signal reports the code it was terminated with, or 1.
  DWORD FExitCode = 1;
};

TChildProcess* ChildOf(HANDLE handle) {
  if (!handle || handle == INVALID_HANDLE_VALUE) return nullptr;
  return dynamic_cast<TChildProcess*>(static_cast<THostObject*>(handle));
}

}  // namespace

HANDLE ChildProcessHandle(pid_t child) { return new TChildProcess(child); }

DWORD WaitForSingleObject(HANDLE handle, DWORD milliseconds) {
  TChildProcess* child = ChildOf(handle);
  if (!child) {
    FailWith(ERROR_INVALID_HANDLE);
    return WAIT_FAILED;
  }
  if (milliseconds == INFINITE) return child->Reap(0) ? WAIT_OBJECT_0 : WAIT_FAILED;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
  while (!child->Reap(WNOHANG)) {
    if (std::chrono::steady_clock::now() >= deadline) return WAIT_TIMEOUT;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  return WAIT_OBJECT_0;
}

BOOL GetExitCodeProcess(HANDLE process, DWORD* exitCode) {
  TChildProcess* child = ChildOf(process);
  if (!child || !exitCode) return FailWith(ERROR_INVALID_HANDLE);
  child->Reap(WNOHANG);
  *exitCode = child->ExitCode();
  return TRUE;
}

BOOL TerminateProcess(HANDLE process, UINT exitCode) {
  TChildProcess* child = ChildOf(process);
  if (!child) return FailWith(ERROR_INVALID_HANDLE);
  child->Kill(exitCode);
  return TRUE;
}
