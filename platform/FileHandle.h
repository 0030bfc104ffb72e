// What a file handle is on this host: a descriptor that holds its file open
// for the sharing rule, remembers the last-write time set through it, and
// hands what is written through it to the disk as it goes. Inside the host
// layer only.
#pragma once

#include <sys/stat.h>

#include <cstdint>

#include "platform/HostObject.h"
#include "platform/OpenFiles.h"
#include "platform/WinTypes.h"

class TFileObject : public THostObject {
 public:
  TFileObject(int descriptor, const struct stat& status);
  // Applies the time set through the handle after all that was written,
  // starts the write-back of the rest of a file written back as it grew,
  // and closes.
  ~TFileObject() override;
  TFileObject(const TFileObject&) = delete;
  TFileObject& operator=(const TFileObject&) = delete;

  int Descriptor() const override { return FDescriptor; }
  // The size the file had when the handle opened it, while nothing was
  // written through the handle; -1 after a write.
  std::int64_t OpenedSize() const { return FWritten ? -1 : FOpenedSize; }
  // Reads at the file position, or at offset when one is given; one read.
  ssize_t Read(void* buffer, std::size_t size, const std::int64_t* offset);
  // Writes all of it (at offset when one is given); false with errno set
  // when the disk refuses, or with errno 0 when it is full.
  bool Write(const char* data, std::size_t size, const std::int64_t* offset, std::size_t& written);
  // The last-write time set through the handle, applied when it closes.
  void KeepTimes(const timespec (&times)[2]);
  bool Close();

 private:
  // Every this many bytes written, their write-back to the disk is started,
  // so that a flush at the end of a job finds little left to do. Smaller
  // files are left to that flush: starting each one's write-back alone
  // costs more than the kernel's batching (a restore of 50,000 files took
  // 1.4 times as long).
  static constexpr std::size_t WriteBackStep = 8 << 20;

  int FDescriptor;
  THeldFile FFile;
  std::int64_t FOpenedSize;
  bool FHasTimes = false;
  timespec FTimes[2] = {};
  std::size_t FUnstarted = 0;
  bool FWritten = false;
  bool FWrittenBack = false;
};
