// File calls over POSIX descriptors with 64-bit positions. Share modes are
// accepted and have no effect; security attributes and templates are unused.
#pragma once

#include "platform/WinTypes.h"

struct SECURITY_ATTRIBUTES;

// A transfer at a given position (Offset, OffsetHigh); the file position is
// left as it was.
struct OVERLAPPED {
  std::uintptr_t Internal;
  std::uintptr_t InternalHigh;
  DWORD Offset;
  DWORD OffsetHigh;
  HANDLE hEvent;
};

HANDLE CreateFileW(LPCWSTR fileName, DWORD desiredAccess, DWORD shareMode, SECURITY_ATTRIBUTES* security,
                   DWORD creationDisposition, DWORD flagsAndAttributes, HANDLE templateFile);
// One read, as Windows reads a file: fewer bytes than asked only at its end.
BOOL ReadFile(HANDLE file, void* buffer, DWORD bytesToRead, DWORD* bytesRead, OVERLAPPED* overlapped);
// What is written is handed to the disk as it goes: its write-back is started
// every few MiB, and for the rest of such a file when the handle closes,
// without waiting for it.
BOOL WriteFile(HANDLE file, const void* buffer, DWORD bytesToWrite, DWORD* bytesWritten, OVERLAPPED* overlapped);
DWORD SetFilePointer(HANDLE file, LONG distanceToMove, LONG* distanceToMoveHigh, DWORD moveMethod);
// The size as the open found it while nothing was written through the
// handle (every caller asks right after opening), else the file's size now.
BOOL GetFileSizeEx(HANDLE file, LARGE_INTEGER* fileSize);
// A time set here becomes the file's time when the handle closes, after all
// that was written through it.
BOOL SetFileTime(HANDLE file, const FILETIME* creationTime, const FILETIME* lastAccessTime,
                 const FILETIME* lastWriteTime);
BOOL CloseHandle(HANDLE object);

constexpr DWORD LOCKFILE_FAIL_IMMEDIATELY = 0x1;
constexpr DWORD LOCKFILE_EXCLUSIVE_LOCK = 0x2;
// Locks the whole file for its handle (the range is not looked at): an
// advisory lock here, which other processes' locks of the file respect and
// which the system releases when the handle closes or its process ends.
// ERROR_LOCK_VIOLATION when another handle holds it and the caller would
// not wait.
BOOL LockFileEx(HANDLE file, DWORD flags, DWORD reserved, DWORD bytesLow, DWORD bytesHigh, OVERLAPPED* overlapped);

DWORD GetFileAttributesW(LPCWSTR fileName);
BOOL SetFileAttributesW(LPCWSTR fileName, DWORD fileAttributes);
BOOL CreateDirectoryW(LPCWSTR pathName, SECURITY_ATTRIBUTES* security);
// Removes an empty directory; FALSE for one that holds anything.
BOOL RemoveDirectoryW(LPCWSTR pathName);
BOOL CopyFileW(LPCWSTR existingFileName, LPCWSTR newFileName, BOOL failIfExists);
BOOL DeleteFileW(LPCWSTR fileName);
// The room on the file system of a directory: free to this user, in all,
// and free in all. Any of the three may be null.
BOOL GetDiskFreeSpaceExW(LPCWSTR directoryName, ULARGE_INTEGER* freeBytesAvailableToCaller,
                         ULARGE_INTEGER* totalNumberOfBytes, ULARGE_INTEGER* totalNumberOfFreeBytes);

// Opens a directory too, for its identity (GetFinalPathNameByHandleW).
constexpr DWORD FILE_FLAG_BACKUP_SEMANTICS = 0x02000000;
// The full path of what a handle has open, links resolved, in system form;
// the length without its null, or the size needed when the buffer is too
// small, or 0 on failure.
DWORD GetFinalPathNameByHandleW(HANDLE file, LPWSTR path, DWORD length, DWORD flags);

constexpr DWORD MOVEFILE_REPLACE_EXISTING = 0x1;
constexpr DWORD MOVEFILE_WRITE_THROUGH = 0x8;
// Renames a file or directory. With MOVEFILE_WRITE_THROUGH it returns only
// when the move is on disk, and so is what is moved: a file's data (fsync),
// a directory's whole tree (the file system's, syncfs).
BOOL MoveFileExW(LPCWSTR existingFileName, LPCWSTR newFileName, DWORD flags);
DWORD GetShortPathNameW(LPCWSTR longPath, LPWSTR shortPath, DWORD bufferLength);
// The long form of a path: this host keeps no short names but those of the
// browsers' user-data folders (ShortNames.h), which are resolved here, also
// for a path that does not exist (yet). The length without the null, or the
// size needed when the buffer is too small.
DWORD GetLongPathNameW(LPCWSTR shortPath, LPWSTR longPath, DWORD bufferLength);
UINT GetDriveTypeW(LPCWSTR rootPathName);
