// The archive component's own name splitting, existence tests, directory
// creation, file opening, 64-bit positioning and time conversion. Positions
// inside strings count from 1; 0 means not found. Nothing here raises.
#pragma once

#include <cstdint>

#include "platform/WinTypes.h"

bool WideStrEqual(const WideString& a, const WideString& b);
// Position of the first c in the zero-terminated text; the terminator is
// compared last, so searching for the zero character finds it.
int WideStrScan(const char16_t* text, char16_t c);
// Position of the last character of text that is in the delimiter set.
int WideLastDelimiter(const WideString& delimiters, const WideString& text);

WideString WideExtractFilePath(const WideString& name);
WideString WideExtractFileName(const WideString& name);
WideString WideExtractFileExt(const WideString& name);
WideString WideChangeFileExt(const WideString& name, const WideString& extension);
void WideStripPath(WideString& name);
WideString WideExcludeTrailingBackslash(const WideString& path);
WideString WideParentDir(const WideString& path);
WideString WideUpperCase(const WideString& text);

bool WideDirectoryExists(const WideString& path);
// The size of the first entry a search for name finds, with its last-write
// time and attributes; -1 (and size -1, attributes all ones, time 0) if none.
std::int64_t WideGetFileInfo(const WideString& name, std::int64_t& size, FILETIME& lastWrite, DWORD& attributes);
bool WideFileExists(const WideString& name);
// Creates path with all missing parents; attributes (0 = none) go to the
// innermost directory only, when it is created now.
bool WideForceDirectories(const WideString& path, WORD attributes);
HANDLE WideCreateFile(const WideString& name, DWORD access, DWORD shareMode, void* security, DWORD disposition,
                      DWORD flagsAndAttributes, HANDLE templateFile);
std::int64_t FileSeek64(HANDLE handle, int origin, std::int64_t offset);
// Transfers at a position, leaving the file position alone: one platform
// call each, no seek before it. Answer whether the call succeeded; count is
// what was transferred.
bool FileReadAt(HANDLE handle, std::int64_t position, void* buffer, DWORD size, DWORD& count);
bool FileWriteAt(HANDLE handle, std::int64_t position, const void* buffer, DWORD size, DWORD& count);
// The size of an open file; 0 when it cannot be learned.
std::int64_t FileSize64(HANDLE handle);
DWORD WideFileSize(const WideString& name);

// Days since 1899-12-30 for a FILETIME; direction > 0 converts UTC to local
// time first, < 0 local time to UTC, 0 neither.
double FileTimeToDateTimeEx(const FILETIME& time, std::int32_t direction);
bool IsRemovableDrive(const WideString& root);
// True when the whole text is a 32-bit integer; value gets what was read
// before the first invalid character.
bool ParseInt32(const WideString& text, std::int32_t& value);
