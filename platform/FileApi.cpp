#include "platform/FileApi.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>
#include <vector>

#include "platform/HostObject.h"
#include "platform/HostPath.h"
#include "platform/HostStat.h"
#include "platform/LastError.h"
#include "platform/OpenFiles.h"

namespace {

// A file handle, which holds its file open for the sharing rule. A
// last-write time set through the handle stays the file's time: it is
// applied at once and again when the handle is closed, after whatever was
// written since.
class TFileObject : public THostObject {
 public:
  TFileObject(int descriptor, const THeldFile& file) : FDescriptor(descriptor), FFile(file) { HoldFile(FFile); }
  ~TFileObject() override { ReleaseFile(FFile); }
  TFileObject(const TFileObject&) = delete;
  TFileObject& operator=(const TFileObject&) = delete;
  int Descriptor() const override { return FDescriptor; }
  void KeepTimes(const timespec (&times)[2]) {
    FTimes[0] = times[0];
    FTimes[1] = times[1];
    FHasTimes = true;
  }
  void ReapplyTimes() const {
    if (FHasTimes) futimens(FDescriptor, FTimes);
  }

 private:
  int FDescriptor;
  THeldFile FFile;
  bool FHasTimes = false;
  timespec FTimes[2] = {};
};

bool IsHandle(HANDLE object) { return object && object != INVALID_HANDLE_VALUE; }

int DescriptorOf(HANDLE file) { return IsHandle(file) ? static_cast<THostObject*>(file)->Descriptor() : -1; }

bool IsFileHandle(HANDLE file) { return DescriptorOf(file) >= 0; }

BOOL WriteAll(int fd, const char* data, DWORD size, DWORD* written) {
  DWORD done = 0;
  while (done < size) {
    const ssize_t n = write(fd, data + done, size - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      if (written) *written = done;
      return n == 0 ? FailWith(ERROR_DISK_FULL) : FailWithErrno();
    }
    done += static_cast<DWORD>(n);
  }
  if (written) *written = done;
  return TRUE;
}

int OpenFlags(DWORD access, DWORD disposition) {
  int flags = O_CLOEXEC;
  const bool read = access & GENERIC_READ;
  const bool write = access & GENERIC_WRITE;
  flags |= read && write ? O_RDWR : write ? O_WRONLY : O_RDONLY;
  switch (disposition) {
    case CREATE_NEW: flags |= O_CREAT | O_EXCL; break;
    case CREATE_ALWAYS: flags |= O_CREAT | O_TRUNC; break;
    case OPEN_ALWAYS: flags |= O_CREAT; break;
    case TRUNCATE_EXISTING: flags |= O_TRUNC; break;
    default: break;
  }
  // Whatever is written goes to the named file itself, never through a link.
  if (write) flags |= O_NOFOLLOW;
  return flags;
}

// The mode a new file gets: the attribute word's Unix mode when it carries
// one, else the usual mode, without write bits for a read-only file.
void ApplyCreationMode(int fd, DWORD attributes) {
  struct stat st {};
  if (fstat(fd, &st) != 0) return;
  if (HasUnixMode(attributes) || (attributes & FILE_ATTRIBUTE_READONLY))
    fchmod(fd, ModeFromAttributes(attributes, st.st_mode));
}

bool IsCreatingDisposition(DWORD disposition) {
  return disposition == CREATE_NEW || disposition == CREATE_ALWAYS || disposition == OPEN_ALWAYS;
}

// Why an existing name cannot be opened as asked, before anything opens it:
// only files and directories are opened (a FIFO or a device could block or
// act on being opened), a directory never as a file, and a file this process
// holds open is not created anew or written.
DWORD RefusalOfExisting(const struct stat& st, DWORD access, DWORD disposition, DWORD flags) {
  if (S_ISDIR(st.st_mode) && (flags & FILE_FLAG_BACKUP_SEMANTICS) && !(access & GENERIC_WRITE)) return ERROR_SUCCESS;
  if (!S_ISREG(st.st_mode)) return ERROR_ACCESS_DENIED;
  if (disposition == CREATE_NEW) return ERROR_FILE_EXISTS;
  const bool changes = (access & GENERIC_WRITE) || disposition == CREATE_ALWAYS || disposition == TRUNCATE_EXISTING;
  if (changes && IsFileHeld({st.st_dev, st.st_ino})) return ERROR_SHARING_VIOLATION;
  return ERROR_SUCCESS;
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
  struct stat before {};
  const bool existed = stat(host->c_str(), &before) == 0;
  const DWORD refusal =
      existed ? RefusalOfExisting(before, desiredAccess, creationDisposition, flagsAndAttributes) : ERROR_SUCCESS;
  if (refusal != ERROR_SUCCESS) {
    FailWith(refusal);
    return INVALID_HANDLE_VALUE;
  }
  const int fd = open(host->c_str(), OpenFlags(desiredAccess, creationDisposition), 0666);
  struct stat opened {};
  if (fd < 0 || fstat(fd, &opened) != 0) {
    FailForPath(*host);
    if (fd >= 0) close(fd);
    return INVALID_HANDLE_VALUE;
  }
  if (IsCreatingDisposition(creationDisposition) && (!existed || creationDisposition == CREATE_ALWAYS))
    ApplyCreationMode(fd, flagsAndAttributes);
  SetLastError(existed && IsCreatingDisposition(creationDisposition) ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS);
  return new TFileObject(fd, {opened.st_dev, opened.st_ino});
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

BOOL ReadFile(HANDLE file, void* buffer, DWORD bytesToRead, DWORD* bytesRead, OVERLAPPED*) {
  if (bytesRead) *bytesRead = 0;
  if (!IsFileHandle(file)) return FailWith(ERROR_INVALID_HANDLE);
  auto* out = static_cast<char*>(buffer);
  DWORD done = 0;
  while (done < bytesToRead) {
    const ssize_t n = read(DescriptorOf(file), out + done, bytesToRead - done);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      if (bytesRead) *bytesRead = done;
      return FailWithErrno();
    }
    if (n == 0) break;
    done += static_cast<DWORD>(n);
  }
  if (bytesRead) *bytesRead = done;
  return TRUE;
}

BOOL WriteFile(HANDLE file, const void* buffer, DWORD bytesToWrite, DWORD* bytesWritten, OVERLAPPED*) {
  if (bytesWritten) *bytesWritten = 0;
  if (!IsFileHandle(file)) return FailWith(ERROR_INVALID_HANDLE);
  return WriteAll(DescriptorOf(file), static_cast<const char*>(buffer), bytesToWrite, bytesWritten);
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

BOOL SetFileTime(HANDLE file, const FILETIME*, const FILETIME* lastAccessTime, const FILETIME* lastWriteTime) {
  if (!IsFileHandle(file)) return FailWith(ERROR_INVALID_HANDLE);
  const auto slot = [](const FILETIME* time) {
    return time ? TimespecFromFileTime(*time) : timespec{0, UTIME_OMIT};
  };
  const timespec times[2] = {slot(lastAccessTime), slot(lastWriteTime)};
  if (futimens(DescriptorOf(file), times) != 0) return FailWithErrno();
  static_cast<TFileObject*>(static_cast<THostObject*>(file))->KeepTimes(times);
  return TRUE;
}

BOOL CloseHandle(HANDLE object) {
  if (!IsHandle(object)) return FailWith(ERROR_INVALID_HANDLE);
  const int fd = DescriptorOf(object);
  if (fd >= 0) static_cast<TFileObject*>(static_cast<THostObject*>(object))->ReapplyTimes();
  delete static_cast<THostObject*>(object);
  return fd < 0 || close(fd) == 0 ? TRUE : FailWithErrno();
}

// A link reports the reparse-point bit with the attributes of what it
// points to (the directory bit for a link to a directory), as on Windows.
DWORD GetFileAttributesW(LPCWSTR fileName) {
  const auto host = HostPathOrFail(fileName);
  struct stat st {};
  if (!host) return INVALID_FILE_ATTRIBUTES;
  if (lstat(host->c_str(), &st) != 0) {
    FailForPath(*host);
    return INVALID_FILE_ATTRIBUTES;
  }
  if (!S_ISLNK(st.st_mode)) return AttributesFromStat(st);
  struct stat target {};
  return (stat(host->c_str(), &target) == 0 ? AttributesFromStat(target) : AttributesFromStat(st)) |
         FILE_ATTRIBUTE_REPARSE_POINT;
}

BOOL SetFileAttributesW(LPCWSTR fileName, DWORD fileAttributes) {
  const auto host = HostPathOrFail(fileName);
  struct stat st {};
  if (!host) return FALSE;
  if (stat(host->c_str(), &st) != 0) return FailForPath(*host);
  return chmod(host->c_str(), ModeFromAttributes(fileAttributes, st.st_mode)) == 0 ? TRUE : FailWithErrno();
}

BOOL CreateDirectoryW(LPCWSTR pathName, SECURITY_ATTRIBUTES*) {
  const auto host = HostPathOrFail(pathName);
  if (!host) return FALSE;
  if (mkdir(host->c_str(), 0777) == 0) return TRUE;
  if (errno == EEXIST) return FailWith(ERROR_ALREADY_EXISTS);
  return FailWith(errno == ENOENT ? ERROR_PATH_NOT_FOUND : ErrnoToWin32(errno));
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
  std::vector<char> buffer(1 << 20);
  BOOL ok = TRUE;
  for (;;) {
    const ssize_t n = read(in, buffer.data(), buffer.size());
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      ok = FailWithErrno();
      break;
    }
    if (n == 0) break;
    if (!WriteAll(out, buffer.data(), static_cast<DWORD>(n), nullptr)) {
      ok = FALSE;
      break;
    }
  }
  if (ok) {
    fchmod(out, st.st_mode & 07777);
    const timespec times[2] = {st.st_atim, st.st_mtim};
    futimens(out, times);
  }
  close(in);
  if (close(out) != 0 && ok) ok = FailWithErrno();
  return ok;
}

BOOL DeleteFileW(LPCWSTR fileName) {
  const auto host = HostPathOrFail(fileName);
  struct stat st {};
  if (!host) return FALSE;
  if (lstat(host->c_str(), &st) == 0 && S_ISDIR(st.st_mode)) return FailWith(ERROR_ACCESS_DENIED);
  return unlink(host->c_str()) == 0 ? TRUE : FailForPath(*host);
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
  if (writeThrough) {
    const int fd = open(ParentOf(*source).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0 && syncfs(fd) != 0) {
      close(fd);
      return FailWithErrno();
    }
    if (fd >= 0) close(fd);
  }
  if (rename(source->c_str(), target->c_str()) != 0) return FailForPath(*target);
  if (writeThrough) {
    SyncDirectory(ParentOf(*source));
    SyncDirectory(ParentOf(*target));
  }
  return TRUE;
}
