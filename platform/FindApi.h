// Directory search with Windows wildcards. Only regular files and
// directories are reported: links, sockets, FIFOs and devices are left out,
// so a walk over the results never leaves the tree it started in.
#pragma once

#include <vector>

#include "platform/WinTypes.h"

struct WIN32_FIND_DATAW {
  DWORD dwFileAttributes;
  FILETIME ftCreationTime;
  FILETIME ftLastAccessTime;
  FILETIME ftLastWriteTime;
  DWORD nFileSizeHigh;
  DWORD nFileSizeLow;
  DWORD dwReserved0;
  DWORD dwReserved1;
  WCHAR cFileName[MAX_PATH];
  WCHAR cAlternateFileName[14];
};

HANDLE FindFirstFileW(LPCWSTR fileName, WIN32_FIND_DATAW* findFileData);
BOOL FindNextFileW(HANDLE findFile, WIN32_FIND_DATAW* findFileData);
BOOL FindClose(HANDLE findFile);

// Windows wildcard match ('*', '?'; "*.*" matches every name), ignoring case.
bool MatchesWildcard(const WideString& pattern, const WideString& name);

// Host names a search passed over because they cannot be system names
// unchanged (not UTF-8, or holding a backslash), shown with U+FFFD for the
// bytes that are not text; taking them empties the record.
std::vector<WideString> TakeUnrepresentableNames();
