#include "tests/OwnProcesses.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "platform/FileApi.h"
#include "platform/ProcessApi.h"

namespace {

class TEndAfterEachTest : public testing::EmptyTestEventListener {
  void OnTestEnd(const testing::TestInfo&) override { EndOwnProcesses(); }
};

// Reaps ended children for at most a few seconds; false when some remain.
bool ReapChildren() {
  for (int i = 0; i < 500; ++i) {
    const pid_t reaped = waitpid(-1, nullptr, WNOHANG);
    if (reaped < 0) return true;
    if (reaped == 0) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return false;
}

}  // namespace

void KeepToOwnProcesses() {
  prctl(PR_SET_CHILD_SUBREAPER, 1);
  SetSnapshotRoot(static_cast<DWORD>(getpid()));
  testing::UnitTest::GetInstance()->listeners().Append(new TEndAfterEachTest);
}

void EndOwnProcesses() {
  const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return;
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry))
    if (entry.th32ProcessID != static_cast<DWORD>(getpid())) kill(static_cast<pid_t>(entry.th32ProcessID), SIGKILL);
  CloseHandle(snapshot);
  if (!ReapChildren()) ADD_FAILURE() << "processes the test started did not end";
}
