#include "platform/FileApi.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>
#include <vector>

#include "platform/FileHandle.h"
#include "platform/HostObject.h"
#include "platform/HostPath.h"
#include "platform/HostStat.h"
#include "platform/LastError.h"

namespace {

bool IsHandle(HANDLE object) { return object && object != INVALID_HANDLE_VALUE; }

int DescriptorOf(HANDLE file) { return IsHandle(file) ? static_cast<THostObject*>(file)->Descriptor() : -1; }

bool IsFileHandle(HANDLE file) { return DescriptorOf(file) >= 0; }

// The access flags of an open: never blocking (a FIFO's other end is not
// waited for; files ignore the flag), and writing only to the named file
// itself, never through a link.
int AccessFlags(DWORD access) {
  const bool read = access & GENERIC_READ;
  const bool write = access & GENERIC_WRITE;
  return O_CLOEXEC | O_NONBLOCK | (read && write ? O_RDWR : write ? O_WRONLY : O_RDONLY) | (write ? O_NOFOLLOW : 0);
}

// The mode a new file gets: the attribute word's Unix mode when it carries
// one, else the usual mode, without write bits for a read-only file.
void ApplyCreationMode(int fd, DWORD attributes, const struct stat& status) {
  if (!HasUnixMode(attributes) && !(attributes & FILE_ATTRIBUTE_READONLY)) return;
  const mode_t mode = ModeFromAttributes(attributes, status.st_mode);
  if (mode != (status.st_mode & 07777)) fchmod(fd, mode);
}

bool IsCreatingDisposition(DWORD disposition) {
  return disposition == CREATE_NEW || disposition == CREATE_ALWAYS || disposition == OPEN_ALWAYS;
}

// Why what an open found cannot be used as asked: only files and
// directories are opened (a FIFO or a device is closed again untouched), a
// directory never as a file, and a file this process holds open is not
// created anew or written.
DWORD RefusalOfExisting(const struct stat& st, DWORD access, DWORD disposition, DWORD flags) {
  if (S_ISDIR(st.st_mode) && (flags & FILE_FLAG_BACKUP_SEMANTICS) && !(access & GENERIC_WRITE)) return ERROR_SUCCESS;
  if (!S_ISREG(st.st_mode)) return ERROR_ACCESS_DENIED;
  const bool changes = (access & GENERIC_WRITE) || disposition == CREATE_ALWAYS || disposition == TRUNCATE_EXISTING;
  if (changes && IsFileHeld({st.st_dev, st.st_ino})) return ERROR_SHARING_VIOLATION;
  return ERROR_SUCCESS;
}

// Opens the name: a new file first when the disposition may create one (with
// the attribute word's Unix mode from the start, so that a private file is
// never readable by others, not even for a moment), else what is there.
// Answers the descriptor with its status, and whether the open created the
// file; -1 with errno set when nothing opened.
int OpenName(const std::string& host, DWORD access, DWORD disposition, DWORD attributes, struct stat& status,
             bool& created) {
  created = false;
  int fd = -1;
  if (IsCreatingDisposition(disposition)) {
    const mode_t mode = HasUnixMode(attributes) ? (attributes >> 16) & 0777 : 0666;
    fd = open(host.c_str(), AccessFlags(access) | O_CREAT | O_EXCL, mode);
    created = fd >= 0;
    if (fd < 0 && (errno != EEXIST || disposition == CREATE_NEW)) return -1;
  }
  if (fd < 0) fd = open(host.c_str(), AccessFlags(access));
  if (fd >= 0 && fstat(fd, &status) != 0) {
    const int error = errno;
    close(fd);
    errno = error;
    return -1;
  }
  return fd;
}

// Windows names a missing directory on the way differently from a missing file.
DWORD MissingNameError(const std::string& path) {
  const auto slash = path.find_last_of('/');
  if (slash == std::string::npos || slash == 0) return ERROR_FILE_NOT_FOUND;
  struct stat st {};
  return stat(path.substr(0, slash).c_str(), &st) == 0 && S_ISDIR(st.st_mode) ? ERROR_FILE_NOT_FOUND
                                                                             : ERROR_PATH_NOT_FOUND;
}

BOOL FailForPath(const std::string& path) {
  return FailWith(errno == ENOENT ? MissingNameError(path) : ErrnoToWin32(errno));
}

}  // namespace

HANDLE CreateFileW(LPCWSTR fileName, DWORD desiredAccess, DWORD shareMode, SECURITY_ATTRIBUTES* security,
                   DWORD creationDisposition, DWORD flagsAndAttributes, HANDLE templateFile) {
  const auto host = HostPathOrFail(fileName);
  if (!host) return INVALID_HANDLE_VALUE;
  struct stat status {};
  bool created = false;
  const int fd = OpenName(*host, desiredAccess, creationDisposition, flagsAndAttributes, status, created);
  if (fd < 0) {
    if (errno == EEXIST) {
      FailWith(ERROR_FILE_EXISTS);
    } else {
      FailForPath(*host);
    }
    return INVALID_HANDLE_VALUE;
  }
  const DWORD refusal =
      created ? ERROR_SUCCESS : RefusalOfExisting(status, desiredAccess, creationDisposition, flagsAndAttributes);
  const bool truncates = !created && (creationDisposition == CREATE_ALWAYS || creationDisposition == TRUNCATE_EXISTING);
  if (truncates) status.st_size = 0;
  if (refusal != ERROR_SUCCESS || (truncates && ftruncate(fd, 0) != 0)) {
    const int error = errno;
    close(fd);
    errno = error;
    FailWith(refusal != ERROR_SUCCESS ? refusal : ErrnoToWin32(error));
    return INVALID_HANDLE_VALUE;
  }
  if (created || creationDisposition == CREATE_ALWAYS) ApplyCreationMode(fd, flagsAndAttributes, status);
  SetLastError(!created && IsCreatingDisposition(creationDisposition) ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS);
  return new TFileObject(fd, status);
}

DWORD GetFinalPathNameByHandleW(HANDLE file, LPWSTR path, DWORD length, DWORD) {
  if (!IsFileHandle(file)) return FailWith(ERROR_INVALID_HANDLE);
  char target[PATH_MAX];
  const std::string link = "/proc/self/fd/" + std::to_string(DescriptorOf(file));
  const ssize_t size = readlink(link.c_str(), target, sizeof target - 1);
  const auto system = size > 0 ? ToSystemPath(std::string(target, static_cast<std::size_t>(size))) : std::nullopt;
  if (!system) return FailWith(ERROR_INVALID_NAME);
  if (system->size() + 1 > length) return static_cast<DWORD>(system->size() + 1);
  std::copy(system->begin(), system->end(), path);
  path[system->size()] = u'\0';
  return static_cast<DWORD>(system->size());
}

namespace {

TFileObject* FileOf(HANDLE file) { return static_cast<TFileObject*>(static_cast<THostObject*>(file)); }

// The position an OVERLAPPED record names, for positioned transfers.
std::optional<std::int64_t> PositionOf(const OVERLAPPED* overlapped) {
  if (!overlapped) return std::nullopt;
  return static_cast<std::int64_t>((static_cast<std::uint64_t>(overlapped->OffsetHigh) << 32) | overlapped->Offset);
}

}  // namespace

BOOL ReadFile(HANDLE file, void* buffer, DWORD bytesToRead, DWORD* bytesRead, OVERLAPPED* overlapped) {
  if (bytesRead) *bytesRead = 0;
  if (!IsFileHandle(file)) return FailWith(ERROR_INVALID_HANDLE);
  const auto position = PositionOf(overlapped);
  const ssize_t n = FileOf(file)->Read(buffer, bytesToRead, position ? &*position : nullptr);
  if (n < 0) return FailWithErrno();
  if (bytesRead) *bytesRead = static_cast<DWORD>(n);
  return TRUE;
}

BOOL WriteFile(HANDLE file, const void* buffer, DWORD bytesToWrite, DWORD* bytesWritten, OVERLAPPED* overlapped) {
  if (bytesWritten) *bytesWritten = 0;
  if (!IsFileHandle(file)) return FailWith(ERROR_INVALID_HANDLE);
  const auto position = PositionOf(overlapped);
  std::size_t written = 0;
  const bool ok =
      FileOf(file)->Write(static_cast<const char*>(buffer), bytesToWrite, position ? &*position : nullptr, written);
  if (bytesWritten) *bytesWritten = static_cast<DWORD>(written);
  if (ok) return TRUE;
  return errno == 0 ? FailWith(ERROR_DISK_FULL) : FailWithErrno();
}

DWORD SetFilePointer(HANDLE file, LONG distanceToMove, LONG* distanceToMoveHigh, DWORD moveMethod) {
  if (!IsFileHandle(file) || moveMethod > FILE_END) {
    FailWith(IsFileHandle(file) ? ERROR_INVALID_PARAMETER : ERROR_INVALID_HANDLE);
    return INVALID_SET_FILE_POINTER;
  }
  const std::int64_t distance =
      distanceToMoveHigh ? static_cast<std::int64_t>((static_cast<std::uint64_t>(*distanceToMoveHigh) << 32) |
                                                     static_cast<DWORD>(distanceToMove))
                         : distanceToMove;
  static constexpr int Whence[] = {SEEK_SET, SEEK_CUR, SEEK_END};
  const off_t position = lseek(DescriptorOf(file), distance, Whence[moveMethod]);
  if (position < 0) {
    FailWith(errno == EINVAL ? ERROR_NEGATIVE_SEEK : ErrnoToWin32(errno));
    return INVALID_SET_FILE_POINTER;
  }
  if (distanceToMoveHigh) *distanceToMoveHigh = static_cast<LONG>(static_cast<std::uint64_t>(position) >> 32);
  SetLastError(ERROR_SUCCESS);
  return static_cast<DWORD>(position);
}

// Every caller asks right after the open: the size the open found serves
// then, unless something was written through the handle since.
BOOL GetFileSizeEx(HANDLE file, LARGE_INTEGER* fileSize) {
  struct stat st {};
  if (!IsFileHandle(file) || !fileSize) return FailWith(ERROR_INVALID_HANDLE);
  fileSize->QuadPart = FileOf(file)->OpenedSize();
  if (fileSize->QuadPart >= 0) return TRUE;
  if (fstat(DescriptorOf(file), &st) != 0) return FailWithErrno();
  fileSize->QuadPart = st.st_size;
  return TRUE;
}

BOOL LockFileEx(HANDLE file, DWORD flags, DWORD, DWORD, DWORD, OVERLAPPED*) {
  if (!IsFileHandle(file)) return FailWith(ERROR_INVALID_HANDLE);
  const int operation = ((flags & LOCKFILE_EXCLUSIVE_LOCK) ? LOCK_EX : LOCK_SH) | ((flags & LOCKFILE_FAIL_IMMEDIATELY) ? LOCK_NB : 0);
  while (flock(DescriptorOf(file), operation) != 0) {
    if (errno == EWOULDBLOCK) return FailWith(ERROR_LOCK_VIOLATION);
    if (errno != EINTR) return FailWithErrno();
  }
  return TRUE;
}

BOOL SetFileTime(HANDLE file, const FILETIME*, const FILETIME* lastAccessTime, const FILETIME* lastWriteTime) {
  if (!IsFileHandle(file)) return FailWith(ERROR_INVALID_HANDLE);
  const auto slot = [](const FILETIME* time) {
    return time ? TimespecFromFileTime(*time) : timespec{0, UTIME_OMIT};
  };
  const timespec times[2] = {slot(lastAccessTime), slot(lastWriteTime)};
  FileOf(file)->KeepTimes(times);
  return TRUE;
}

BOOL CloseHandle(HANDLE object) {
  if (!IsHandle(object)) return FailWith(ERROR_INVALID_HANDLE);
  const bool file = DescriptorOf(object) >= 0;
  const bool closed = !file || FileOf(object)->Close();
  const int error = errno;
  delete static_cast<THostObject*>(object);
  errno = error;
  return closed ? TRUE : FailWithErrno();
}

// A link reports the reparse-point bit with the attributes of what it
// points to (the directory bit for a link to a directory), as on Windows.
DWORD GetFileAttributesW(LPCWSTR fileName) {
  const auto host = HostPathOrFail(fileName);
  struct stat st {};
  if (!host) return INVALID_FILE_ATTRIBUTES;
  // An existence probe: a missing name is not told from a missing folder on
  // its way, which would cost a look at the parent for every probe.
  if (lstat(host->c_str(), &st) != 0) {
    FailWithErrno();
    return INVALID_FILE_ATTRIBUTES;
  }
  if (!S_ISLNK(st.st_mode)) return AttributesFromStat(st);
  struct stat target {};
  return (stat(host->c_str(), &target) == 0 ? AttributesFromStat(target) : AttributesFromStat(st)) |
         FILE_ATTRIBUTE_REPARSE_POINT;
}

// An attribute word with a Unix mode sets that mode outright; without one,
// only the read-only bit acts, on the mode the file has.
BOOL SetFileAttributesW(LPCWSTR fileName, DWORD fileAttributes) {
  const auto host = HostPathOrFail(fileName);
  struct stat st {};
  if (!host) return FALSE;
  if (!HasUnixMode(fileAttributes) && stat(host->c_str(), &st) != 0) return FailForPath(*host);
  return chmod(host->c_str(), ModeFromAttributes(fileAttributes, st.st_mode)) == 0 ? TRUE : FailWithErrno();
}

BOOL CreateDirectoryW(LPCWSTR pathName, SECURITY_ATTRIBUTES*) {
  const auto host = HostPathOrFail(pathName);
  if (!host) return FALSE;
  if (mkdir(host->c_str(), 0777) == 0) return TRUE;
  if (errno == EEXIST) return FailWith(ERROR_ALREADY_EXISTS);
  return FailWith(errno == ENOENT ? ERROR_PATH_NOT_FOUND : ErrnoToWin32(errno));
}

BOOL RemoveDirectoryW(LPCWSTR pathName) {
  const auto host = HostPathOrFail(pathName);
  if (!host) return FALSE;
  return rmdir(host->c_str()) == 0 ? TRUE : FailWith(errno == ENOTEMPTY ? ERROR_DIR_NOT_EMPTY : ErrnoToWin32(errno));
}

BOOL CopyFileW(LPCWSTR existingFileName, LPCWSTR newFileName, BOOL failIfExists) {
  const auto source = HostPathOrFail(existingFileName);
  const auto target = source ? HostPathOrFail(newFileName) : std::nullopt;
  if (!target) return FALSE;
  const int in = open(source->c_str(), O_RDONLY | O_CLOEXEC);
  if (in < 0) return FailForPath(*source);
  struct stat st {};
  fstat(in, &st);
  if (S_ISDIR(st.st_mode)) {
    close(in);
    return FailWith(ERROR_ACCESS_DENIED);
  }
  const int flags = O_WRONLY | O_CREAT | O_CLOEXEC | O_NOFOLLOW | (failIfExists ? O_EXCL : O_TRUNC);
  const int out = open(target->c_str(), flags, 0600);
  if (out < 0) {
    const int error = errno;
    close(in);
    errno = error;
    return errno == EEXIST ? FailWith(ERROR_FILE_EXISTS) : FailForPath(*target);
  }
  struct stat written {};
  fstat(out, &written);
  TFileObject copy(out, written);
  std::vector<char> buffer(1 << 20);
  BOOL ok = TRUE;
  for (std::size_t done = 0;;) {
    const ssize_t n = read(in, buffer.data(), buffer.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0 || !copy.Write(buffer.data(), static_cast<std::size_t>(n), nullptr, done)) {
      ok = n == 0 ? TRUE : n < 0 || errno != 0 ? FailWithErrno() : FailWith(ERROR_DISK_FULL);
      break;
    }
  }
  if (ok) {
    fchmod(out, st.st_mode & 07777);
    const timespec times[2] = {st.st_atim, st.st_mtim};
    copy.KeepTimes(times);
  }
  close(in);
  if (!copy.Close() && ok) ok = FailWithErrno();
  return ok;
}

BOOL DeleteFileW(LPCWSTR fileName) {
  const auto host = HostPathOrFail(fileName);
  struct stat st {};
  if (!host) return FALSE;
  if (lstat(host->c_str(), &st) == 0 && S_ISDIR(st.st_mode)) return FailWith(ERROR_ACCESS_DENIED);
  return unlink(host->c_str()) == 0 ? TRUE : FailForPath(*host);
}

BOOL GetDiskFreeSpaceExW(LPCWSTR directoryName, ULARGE_INTEGER* freeBytesAvailableToCaller,
                         ULARGE_INTEGER* totalNumberOfBytes, ULARGE_INTEGER* totalNumberOfFreeBytes) {
  const auto host = HostPathOrFail(directoryName);
  struct statvfs st {};
  if (!host) return FALSE;
  if (statvfs(host->c_str(), &st) != 0) return FailForPath(*host);
  if (freeBytesAvailableToCaller) freeBytesAvailableToCaller->QuadPart = std::uint64_t{st.f_bavail} * st.f_frsize;
  if (totalNumberOfBytes) totalNumberOfBytes->QuadPart = std::uint64_t{st.f_blocks} * st.f_frsize;
  if (totalNumberOfFreeBytes) totalNumberOfFreeBytes->QuadPart = std::uint64_t{st.f_bfree} * st.f_frsize;
  return TRUE;
}

DWORD GetShortPathNameW(LPCWSTR longPath, LPWSTR shortPath, DWORD bufferLength) {
  const auto host = HostPathOrFail(longPath);
  struct stat st {};
  if (!host) return 0;
  if (stat(host->c_str(), &st) != 0) {
    FailForPath(*host);
    return 0;
  }
  // No short names on this host: the long form is the short form.
  const WideString path(longPath);
  if (path.size() + 1 > bufferLength) return static_cast<DWORD>(path.size() + 1);
  std::copy(path.begin(), path.end(), shortPath);
  shortPath[path.size()] = u'\0';
  return static_cast<DWORD>(path.size());
}

DWORD GetLongPathNameW(LPCWSTR shortPath, LPWSTR longPath, DWORD bufferLength) {
  const auto host = HostPathOrFail(shortPath);
  const auto system = host ? ToSystemPath(*host) : std::nullopt;
  if (!system) return host ? FailWith(ERROR_INVALID_NAME) : 0;
  if (system->size() + 1 > bufferLength) return static_cast<DWORD>(system->size() + 1);
  std::copy(system->begin(), system->end(), longPath);
  longPath[system->size()] = u'\0';
  return static_cast<DWORD>(system->size());
}

namespace {

std::string ParentOf(const std::string& path) {
  const auto slash = path.find_last_of('/');
  return slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
}

// A file's own data, or for a directory the file system it lies on.
bool FlushMoved(const std::string& path, bool directory) {
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | (directory ? O_DIRECTORY : 0));
  if (fd < 0) return false;
  const bool flushed = (directory ? syncfs(fd) : fsync(fd)) == 0;
  const int error = errno;
  close(fd);
  errno = error;
  return flushed;
}

void SyncDirectory(const std::string& path) {
  const int fd = open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  fsync(fd);
  close(fd);
}

}  // namespace

BOOL MoveFileExW(LPCWSTR existingFileName, LPCWSTR newFileName, DWORD flags) {
  const auto source = HostPathOrFail(existingFileName);
  const auto target = source ? HostPathOrFail(newFileName) : std::nullopt;
  struct stat st {};
  if (!target) return FALSE;
  if (lstat(source->c_str(), &st) != 0) return FailForPath(*source);
  if (!(flags & MOVEFILE_REPLACE_EXISTING) && lstat(target->c_str(), &st) == 0) return FailWith(ERROR_ALREADY_EXISTS);
  const bool writeThrough = flags & MOVEFILE_WRITE_THROUGH;
  if (writeThrough && !FlushMoved(*source, S_ISDIR(st.st_mode))) return FailWithErrno();
  if (rename(source->c_str(), target->c_str()) != 0) return FailForPath(*target);
  if (writeThrough) {
    SyncDirectory(ParentOf(*target));
    if (ParentOf(*source) != ParentOf(*target)) SyncDirectory(ParentOf(*source));
  }
  return TRUE;
}
