// The process snapshot over /proc: szExeFile is the file name of each
// process's executable. CloseHandle closes a snapshot. And the calls on the
// handle of a started process (ShellExecuteExW).
#pragma once

#include "platform/WinTypes.h"

constexpr DWORD TH32CS_SNAPPROCESS = 2;

// The layout of 32-bit programs: 556 bytes.
struct PROCESSENTRY32W {
  DWORD dwSize;
  DWORD cntUsage;
  DWORD th32ProcessID;
  DWORD th32DefaultHeapID;
  DWORD th32ModuleID;
  DWORD cntThreads;
  DWORD th32ParentProcessID;
  LONG pcPriClassBase;
  DWORD dwFlags;
  WCHAR szExeFile[MAX_PATH];
};
static_assert(sizeof(PROCESSENTRY32W) == 556);

HANDLE CreateToolhelp32Snapshot(DWORD flags, DWORD processId);
// For tests: snapshots list only the given process and its descendants (0,
// the default: every process), so that what else runs on the machine does
// not reach them.
void SetSnapshotRoot(DWORD processId);

constexpr DWORD WAIT_OBJECT_0 = 0;
constexpr DWORD WAIT_TIMEOUT = 258;
constexpr DWORD WAIT_FAILED = 0xFFFFFFFF;
constexpr DWORD INFINITE = 0xFFFFFFFF;
constexpr DWORD STILL_ACTIVE = 259;

// A process handle (ShellExecuteExW) is signalled when the process has ended.
DWORD WaitForSingleObject(HANDLE handle, DWORD milliseconds);
// The exit code of an ended process; STILL_ACTIVE while it runs.
BOOL GetExitCodeProcess(HANDLE process, DWORD* exitCode);
BOOL TerminateProcess(HANDLE process, UINT exitCode);

// Chromium-family browsers on Linux keep a lock in their user-data folder
// while they run: SingletonLock, a link to "HOST-PROCESSID". The id of the
// running process that holds the folder; 0 when none does (no lock, or its
// process has ended); HeldFromAnotherHost for a lock another computer holds.
constexpr DWORD HeldFromAnotherHost = 0xFFFFFFFF;
DWORD GetBrowserFolderHolder(LPCWSTR folder);
BOOL Process32FirstW(HANDLE snapshot, PROCESSENTRY32W* entry);
BOOL Process32NextW(HANDLE snapshot, PROCESSENTRY32W* entry);
