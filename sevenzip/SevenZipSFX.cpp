// Self-extracting archives: recognising them and converting both ways.
#include <cstring>
#include <vector>

#include "platform/FileApi.h"
#include "platform/LastError.h"
#include "sevenzip/ExecutableImage.h"
#include "sevenzip/PathUtils.h"
#include "sevenzip/SevenZip.h"
#include "sevenzip/StartHeader.h"

namespace {

constexpr Int64 ScanStart = 0x10000;
constexpr UInt32 ScanLength = 0x14000;
constexpr UInt32 CopyBlock = 0x20000;

class THandle {
 public:
  explicit THandle(HANDLE handle) : FHandle(handle) {}
  ~THandle() {
    if (FHandle != INVALID_HANDLE_VALUE) CloseHandle(FHandle);
  }
  THandle(const THandle&) = delete;
  THandle& operator=(const THandle&) = delete;
  HANDLE Get() const { return FHandle; }
  bool IsOpen() const { return FHandle != INVALID_HANDLE_VALUE; }

 private:
  HANDLE FHandle;
};

HANDLE OpenForReading(const WideString& name) {
  return WideCreateFile(name, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
}

// Copies the rest of source to target in blocks; true when the last block
// was written in full and no read failed.
bool CopyRest(HANDLE source, HANDLE target) {
  std::vector<BYTE> buffer(CopyBlock);
  DWORD read = 0, written = 0;
  do {
    if (!ReadFile(source, buffer.data(), CopyBlock, &read, nullptr)) return false;
    WriteFile(target, buffer.data(), read, &written, nullptr);
  } while (read == CopyBlock);
  return read == written;
}

}  // namespace

bool TSevenZip::SFXCheck(const WideString& Fn) {
  if (WideUpperCase(WideExtractFileExt(Fn)) != u".EXE") return false;
  FSFXOffset = 0;
  FIsSFX = false;
  const THandle file(OpenForReading(Fn));
  if (!file.IsOpen()) return false;
  const Int64 size = FileSize64(file.Get());
  std::vector<unsigned char> buffer(ScanLength);
  const UInt32 read = ReadAt(file.Get(), ScanStart, buffer.data(), ScanLength);
  for (UInt32 i = 0; read >= sizeof SevenZipSignature && i <= read - sizeof SevenZipSignature; ++i) {
    if (std::memcmp(&buffer[i], SevenZipSignature, sizeof SevenZipSignature) == 0) {
      FIsSFX = true;
      FSFXOffset = ScanStart + i;
      return true;
    }
  }
  const Int64 candidate = ExecutableImageEnd(file.Get(), size);
  unsigned char found[sizeof SevenZipSignature];
  if (candidate != size && ReadAt(file.Get(), candidate, found, sizeof found) == sizeof found &&
      std::memcmp(found, SevenZipSignature, sizeof SevenZipSignature) == 0) {
    FIsSFX = true;
    FSFXOffset = candidate;
    return true;
  }
  return false;
}

// A target that cannot be created (for one, the source itself, which this
// process holds open) leaves its platform code in LastError.
bool TSevenZip::ConvertSFXto7z(const WideString& Fn) {
  const THandle source(OpenForReading(Fn));
  FileSeek64(source.Get(), FILE_BEGIN, FSFXOffset);
  const THandle target(WideCreateFile(WideChangeFileExt(Fn, u".7z"), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
  if (source.IsOpen() && !target.IsOpen()) FLastError = static_cast<Int32>(GetLastError());
  return source.IsOpen() && target.IsOpen() && CopyRest(source.Get(), target.Get());
}

bool TSevenZip::Convert7ztoSFX(const WideString& Fn) {
  const WideString target = WideChangeFileExt(Fn, u".exe");
  if (!CopyFileW(FSFXModule.c_str(), target.c_str(), TRUE)) {
    FLastError = static_cast<Int32>(GetLastError());
    ReportError(CodeSFXModuleError, FSevenZipFileName);
    return false;
  }
  const THandle source(OpenForReading(Fn));
  const THandle output(WideCreateFile(target, GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
  FileSeek64(output.Get(), FILE_END, 0);
  return source.IsOpen() && output.IsOpen() && CopyRest(source.Get(), output.Get());
}
