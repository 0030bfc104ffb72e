// The shell calls: file operations (delete), special folders, program start.
#pragma once

#include "platform/ComTypes.h"

constexpr UINT FO_DELETE = 3;
constexpr WORD FOF_SILENT = 0x0004;
constexpr WORD FOF_NOCONFIRMATION = 0x0010;
constexpr WORD FOF_NOERRORUI = 0x0400;

struct SHFILEOPSTRUCTW {
  HWND hwnd;
  UINT wFunc;
  LPCWSTR pFrom;
  LPCWSTR pTo;
  WORD fFlags;
  BOOL fAnyOperationsAborted;
  void* hNameMappings;
  LPCWSTR lpszProgressTitle;
};

// FO_DELETE: removes each source of the double-null list (a path, or a
// wildcard in its last component) with all it holds, for good; links are
// removed, never followed. What cannot be deleted is shown in a message box
// unless FOF_NOERRORUI is set. Answers 0 when everything named went.
int SHFileOperationW(SHFILEOPSTRUCTW* fileOp);

constexpr int CSIDL_LOCAL_APPDATA = 28;

struct ITEMIDLIST;

struct IMalloc : IUnknown {
  virtual void Free(void* block) = 0;
};

// Only the local application data folder (28) is known: $XDG_DATA_HOME,
// else ~/.local/share. The browsers' user-data folders below it are reached
// by their short names (ShortNames.h).
HRESULT SHGetSpecialFolderLocation(HWND owner, int folder, ITEMIDLIST** idList);
// Writes the path (at most MAX_PATH characters with its null) into path.
BOOL SHGetPathFromIDListW(const ITEMIDLIST* idList, LPWSTR path);
HRESULT SHGetMalloc(IMalloc** malloc);

constexpr int SW_HIDE = 0;
constexpr int SW_SHOWNORMAL = 1;
constexpr int SW_SHOW = 5;
constexpr int SE_ERR_FNF = 2;
constexpr int SE_ERR_ACCESSDENIED = 5;
constexpr int SE_ERR_OOM = 8;

constexpr ULONG SEE_MASK_NOCLOSEPROCESS = 0x40;

struct SHELLEXECUTEINFOW {
  DWORD cbSize;
  ULONG fMask;
  HWND hwnd;
  LPCWSTR lpVerb;
  LPCWSTR lpFile;
  LPCWSTR lpParameters;
  LPCWSTR lpDirectory;
  int nShow;
  HINSTANCE hInstApp;
  HANDLE hProcess;
};

// Starts the program detached and never waits for it. The parameters are
// split into arguments by the Windows command-line rules, system paths in
// them in host form; a bare name is looked for in the tool directory, then on
// PATH; the browser's names chrome.exe and orvo.exe stand for the browser of
// their folder under its Linux name (chrome, orvo); "RunAs" goes through
// pkexec where it exists; SW_HIDE gives the program no terminal and no
// output. Answers a value above 32 when the program started.
HINSTANCE ShellExecuteW(HWND owner, LPCWSTR operation, LPCWSTR file, LPCWSTR parameters, LPCWSTR directory,
                        int showCommand);
// As ShellExecuteW; with SEE_MASK_NOCLOSEPROCESS the program is started as a
// child whose handle hProcess receives, for WaitForSingleObject,
// GetExitCodeProcess, TerminateProcess and CloseHandle. FALSE, with the
// last error set, when the program could not be started.
BOOL ShellExecuteExW(SHELLEXECUTEINFOW* info);

constexpr DWORD STARTF_USESTDHANDLES = 0x100;

struct STARTUPINFOW {
  DWORD cb;
  DWORD dwFlags;
  HANDLE hStdInput;
  HANDLE hStdOutput;
  HANDLE hStdError;
};

struct PROCESS_INFORMATION {
  HANDLE hProcess;
  DWORD dwProcessId;
};

// Starts the program as a child, found as ShellExecuteExW finds it, with the
// command line (its first word the program's name) split into arguments as
// ShellExecuteExW splits parameters; with STARTF_USESTDHANDLES the file
// handles given (from CreateFileW; none: nothing) become its standard input,
// output and error. hProcess is for WaitForSingleObject, GetExitCodeProcess,
// TerminateProcess and CloseHandle. FALSE, with the last error set, when the
// program could not be started.
BOOL CreateProcessW(LPCWSTR applicationName, LPCWSTR commandLine, const STARTUPINFOW* startup,
                    PROCESS_INFORMATION* process);
