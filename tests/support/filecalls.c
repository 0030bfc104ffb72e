/* Interposes the C library's file-changing calls for the tests. With
 * FILECALLS_LOG set it appends one line per call to that file; with
 * FILECALLS_KILL_AT=N it kills the process (SIGKILL) just before its N-th
 * such call, counted over all threads. The calls: an open that may write or
 * create, a write to a file so opened, rename, unlink, rmdir, mkdir,
 * ftruncate, fsync, fdatasync, syncfs and sync_file_range. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <fcntl.h>
#include <signal.h>
#include <stdarg.h>
#include <stdatomic.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <sys/uio.h>
#include <unistd.h>

#define TRACKED 65536

static atomic_long calls;
static atomic_char writable[TRACKED];

#define NEXT(name) ((__typeof__(&name))dlsym(RTLD_NEXT, #name))

/* The path a descriptor names, for the log. */
static void NameOf(int fd, char* name, size_t size) {
  char link[64];
  snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
  ssize_t n = readlink(link, name, size - 1);
  name[n > 0 ? n : 0] = '\0';
}

/* Counts one file-changing call; logs it; dies when its number has come. */
static void Counted(const char* call, const char* path, const char* other) {
  const long number = atomic_fetch_add(&calls, 1) + 1;
  const char* kill_at = getenv("FILECALLS_KILL_AT");
  if (kill_at && atol(kill_at) == number) raise(SIGKILL);
  const char* log = getenv("FILECALLS_LOG");
  if (!log) return;
  char line[8400];
  const int length = snprintf(line, sizeof line, "%ld %s %s%s%s\n", number, call, path, other ? " " : "", other ? other : "");
  const int fd = NEXT(open)(log, O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
  if (fd < 0) return;
  (void)!NEXT(write)(fd, line, length > 0 && length < (int)sizeof line ? (size_t)length : sizeof line - 1);
  close(fd);
}

static void CountedFd(const char* call, int fd) {
  char name[4096];
  NameOf(fd, name, sizeof name);
  Counted(call, name, NULL);
}

static int Writes(int flags) { return (flags & (O_WRONLY | O_RDWR | O_CREAT | O_TRUNC)) != 0; }

static int Opened(int fd, int flags) {
  if (fd >= 0 && fd < TRACKED) atomic_store(&writable[fd], (char)Writes(flags));
  return fd;
}

static int Tracked(int fd) { return fd >= 0 && fd < TRACKED && atomic_load(&writable[fd]); }

static mode_t ModeOf(int flags, va_list arguments) {
  return (flags & O_CREAT) || (flags & O_TMPFILE) == O_TMPFILE ? va_arg(arguments, mode_t) : 0;
}

int open(const char* path, int flags, ...) {
  va_list arguments;
  va_start(arguments, flags);
  const mode_t mode = ModeOf(flags, arguments);
  va_end(arguments);
  if (Writes(flags)) Counted("open", path, NULL);
  return Opened(NEXT(open)(path, flags, mode), flags);
}

int open64(const char* path, int flags, ...) {
  va_list arguments;
  va_start(arguments, flags);
  const mode_t mode = ModeOf(flags, arguments);
  va_end(arguments);
  if (Writes(flags)) Counted("open", path, NULL);
  return Opened(NEXT(open64)(path, flags, mode), flags);
}

int openat(int directory, const char* path, int flags, ...) {
  va_list arguments;
  va_start(arguments, flags);
  const mode_t mode = ModeOf(flags, arguments);
  va_end(arguments);
  if (Writes(flags)) Counted("open", path, NULL);
  return Opened(NEXT(openat)(directory, path, flags, mode), flags);
}

int openat64(int directory, const char* path, int flags, ...) {
  va_list arguments;
  va_start(arguments, flags);
  const mode_t mode = ModeOf(flags, arguments);
  va_end(arguments);
  if (Writes(flags)) Counted("open", path, NULL);
  return Opened(NEXT(openat64)(directory, path, flags, mode), flags);
}

int close(int fd) {
  if (fd >= 0 && fd < TRACKED) atomic_store(&writable[fd], 0);
  return NEXT(close)(fd);
}

ssize_t write(int fd, const void* data, size_t size) {
  if (Tracked(fd)) CountedFd("write", fd);
  return NEXT(write)(fd, data, size);
}

ssize_t pwrite(int fd, const void* data, size_t size, off_t offset) {
  if (Tracked(fd)) CountedFd("write", fd);
  return NEXT(pwrite)(fd, data, size, offset);
}

ssize_t pwrite64(int fd, const void* data, size_t size, off64_t offset) {
  if (Tracked(fd)) CountedFd("write", fd);
  return NEXT(pwrite64)(fd, data, size, offset);
}

ssize_t writev(int fd, const struct iovec* vector, int count) {
  if (Tracked(fd)) CountedFd("write", fd);
  return NEXT(writev)(fd, vector, count);
}

int rename(const char* from, const char* to) {
  Counted("rename", from, to);
  return NEXT(rename)(from, to);
}

int renameat(int fromDirectory, const char* from, int toDirectory, const char* to) {
  Counted("rename", from, to);
  return NEXT(renameat)(fromDirectory, from, toDirectory, to);
}

int renameat2(int fromDirectory, const char* from, int toDirectory, const char* to, unsigned flags) {
  Counted("rename", from, to);
  return NEXT(renameat2)(fromDirectory, from, toDirectory, to, flags);
}

int unlink(const char* path) {
  Counted("unlink", path, NULL);
  return NEXT(unlink)(path);
}

int unlinkat(int directory, const char* path, int flags) {
  Counted("unlink", path, NULL);
  return NEXT(unlinkat)(directory, path, flags);
}

int rmdir(const char* path) {
  Counted("unlink", path, NULL);
  return NEXT(rmdir)(path);
}

int mkdir(const char* path, mode_t mode) {
  Counted("mkdir", path, NULL);
  return NEXT(mkdir)(path, mode);
}

int mkdirat(int directory, const char* path, mode_t mode) {
  Counted("mkdir", path, NULL);
  return NEXT(mkdirat)(directory, path, mode);
}

int ftruncate(int fd, off_t length) {
  CountedFd("ftruncate", fd);
  return NEXT(ftruncate)(fd, length);
}

int fsync(int fd) {
  CountedFd("fsync", fd);
  return NEXT(fsync)(fd);
}

int fdatasync(int fd) {
  CountedFd("fsync", fd);
  return NEXT(fdatasync)(fd);
}

int syncfs(int fd) {
  CountedFd("syncfs", fd);
  return NEXT(syncfs)(fd);
}

int sync_file_range(int fd, off64_t offset, off64_t size, unsigned int flags) {
  CountedFd("sync_file_range", fd);
  return NEXT(sync_file_range)(fd, offset, size, flags);
}
