// The process snapshot over /proc: szExeFile is the file name of each
// process's executable. CloseHandle closes a snapshot.
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
BOOL Process32FirstW(HANDLE snapshot, PROCESSENTRY32W* entry);
BOOL Process32NextW(HANDLE snapshot, PROCESSENTRY32W* entry);
