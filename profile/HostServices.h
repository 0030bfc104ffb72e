// The services through which the main window and the profile operations
// reach the operating system. None keeps state between calls.
#pragma once

#include <vector>

#include "platform/WinTypes.h"

using TWideStrings = std::vector<WideString>;

// The directory of the running executable, ending in its backslash.
WideString GetToolDirectory();

bool IsWindows10();
// 0 to 10, from the platform and version the system reports.
unsigned GetWindowsKind();
// Deletes a path or mask for good, silently; true when the shell reports success.
bool ShellDeleteFiles(const WideString& path);
// Fills list with the executable name of every running process.
void GetProcessList(TWideStrings& list);
// Whether a process of that name runs; compareFullEntry false compares only
// the entry's file-name part. Case is ignored for a to z only.
bool IsProcessRunning(const WideString& name, bool compareFullEntry);
// The comparison IsProcessRunning makes for one entry of the list.
bool ProcessEntryMatches(const WideString& entry, const WideString& name, bool compareFullEntry);
// The browser that holds a user-data folder, in words such as "chromium
// (process 4711)"; empty when none does.
WideString BrowserHoldingFolder(const WideString& folder);
// Whether a browser runs: a process named chrome.exe, or, as Linux names them,
// chrome or chromium; or any browser that holds the profile folder.
bool IsBrowserRunning(const WideString& profileDirectory);
// A path as the user knows it: short names resolved.
WideString LongPathOf(const WideString& path);
// The path of a shell special folder; empty when it cannot be resolved.
WideString GetSpecialFolderPath(int folder);
// Writes a shortcut that starts target with the portable profile and the
// given user agent.
void CreateBrowserShortcut(const WideString& target, const WideString& linkFile, const WideString& userAgent);
