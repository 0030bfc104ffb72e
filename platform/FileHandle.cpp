#include "platform/FileHandle.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

TFileObject::TFileObject(int descriptor, const struct stat& status)
    : FDescriptor(descriptor), FFile{status.st_dev, status.st_ino}, FOpenedSize(status.st_size) {
  HoldFile(FFile);
}

TFileObject::~TFileObject() {
  if (FDescriptor >= 0) Close();
}

ssize_t TFileObject::Read(void* buffer, std::size_t size, const std::int64_t* offset) {
  for (;;) {
    const ssize_t n = offset ? pread(FDescriptor, buffer, size, *offset) : read(FDescriptor, buffer, size);
    if (n >= 0 || errno != EINTR) return n;
  }
}

bool TFileObject::Write(const char* data, std::size_t size, const std::int64_t* offset, std::size_t& written) {
  written = 0;
  while (written < size) {
    const ssize_t n = offset ? pwrite(FDescriptor, data + written, size - written, *offset + static_cast<off_t>(written))
                             : write(FDescriptor, data + written, size - written);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      if (n == 0) errno = 0;
      return false;
    }
    written += static_cast<std::size_t>(n);
  }
  FWritten = FWritten || size > 0;
  FUnstarted += size;
  if (FUnstarted >= WriteBackStep) {
    sync_file_range(FDescriptor, 0, 0, SYNC_FILE_RANGE_WRITE);
    FUnstarted = 0;
    FWrittenBack = true;
  }
  return true;
}

void TFileObject::KeepTimes(const timespec (&times)[2]) {
  FTimes[0] = times[0];
  FTimes[1] = times[1];
  FHasTimes = true;
}

bool TFileObject::Close() {
  if (FHasTimes) futimens(FDescriptor, FTimes);
  if (FWrittenBack && FUnstarted > 0) sync_file_range(FDescriptor, 0, 0, SYNC_FILE_RANGE_WRITE);
  ReleaseFile(FFile);
  const int result = close(FDescriptor);
  FDescriptor = -1;
  return result == 0;
}
