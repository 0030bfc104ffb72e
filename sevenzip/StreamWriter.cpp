#include "sevenzip/StreamWriter.h"

#include <optional>

#include "platform/Exceptions.h"
#include "platform/FileApi.h"
#include "platform/LastError.h"
#include "platform/TimeApi.h"
#include "sevenzip/EngineGuard.h"
#include "sevenzip/PathUtils.h"

namespace {

// A local date-time value at DOS resolution as a file time; none when the
// DOS form cannot hold it.
std::optional<FILETIME> DosFileTime(TDateTime date) {
  const auto dos = static_cast<std::uint32_t>(DateTimeToFileDate(date));
  FILETIME local, utc;
  if (!DosDateTimeToFileTime(static_cast<WORD>(dos >> 16), static_cast<WORD>(dos), &local) ||
      !LocalFileTimeToFileTime(&local, &utc))
    return std::nullopt;
  return utc;
}

// Stamps a new file with its time; a zero time (none known) leaves the
// file's own. Answers the platform's error code, 0 on success.
DWORD StampFile(HANDLE file, const std::optional<FILETIME>& time) {
  if (!time) return ERROR_INVALID_PARAMETER;
  if (time->dwLowDateTime == 0 && time->dwHighDateTime == 0) return 0;
  if (!SetFileTime(file, nullptr, nullptr, &*time)) return GetLastError() ? GetLastError() : ERROR_INVALID_PARAMETER;
  return 0;
}

}  // namespace

TMyStreamWriter::TMyStreamWriter(Int32* PLastError, const WideString& sz, TDateTime szDate, UInt32 FAttr,
                                 Int32 VolumeSize, bool CreateSFX)
    : TMyStreamWriter(PLastError, sz, DosFileTime(szDate), FAttr, VolumeSize, CreateSFX) {}

TMyStreamWriter::TMyStreamWriter(Int32* PLastError, const WideString& sz, const FILETIME& exactTime, UInt32 FAttr)
    : TMyStreamWriter(PLastError, sz, std::optional<FILETIME>(exactTime), FAttr, 0, false) {}

TMyStreamWriter::TMyStreamWriter(Int32* PLastError, const WideString& sz, const std::optional<FILETIME>& time,
                                 UInt32 FAttr, Int32 VolumeSize, bool CreateSFX)
    : arcName(sz),
      arcTime(time),
      arcAttr(FAttr),
      arcCreateSFX(CreateSFX),
      arcVolumeSize(static_cast<UInt32>(VolumeSize)),
      FPLastError(PLastError) {
  try {
    NewVolume();
  } catch (...) {
    CleanUp();
    throw;
  }
}

TMyStreamWriter::~TMyStreamWriter() { CleanUp(); }

void TMyStreamWriter::CleanUp() {
  if (FPLastError && MyLastError != 0) *FPLastError = MyLastError;
  CloseFiles(FFiles);
}

IUnknown* TMyStreamWriter::FindInterface(REFIID iid) {
  if (iid == IID_IUnknown || iid == IID_ISequentialOutStream || iid == IID_IOutStream)
    return static_cast<IOutStream*>(this);
  return nullptr;
}

bool TMyStreamWriter::NewVolume() {
  const auto n = FFiles.size();
  FFiles.emplace_back();
  TFiles& file = FFiles.back();
  constexpr DWORD ReadWrite = GENERIC_READ | GENERIC_WRITE;
  if (arcCreateSFX && n == 0) {
    file.Name = arcName;
    file.Handle = WideCreateFile(file.Name, ReadWrite, 0, nullptr, OPEN_EXISTING, arcAttr, nullptr);
    if (file.Handle != INVALID_HANDLE_VALUE) arcPosition = FileSize64(file.Handle);
  } else {
    file.Name = arcVolumeSize > 0 ? VolumeName(arcName, static_cast<std::int64_t>(n) + 1) : arcName;
    file.Handle = WideCreateFile(file.Name, ReadWrite, 0, nullptr, CREATE_ALWAYS, arcAttr, nullptr);
  }
  if (file.Handle == INVALID_HANDLE_VALUE) {
    MyLastError = static_cast<Int32>(GetLastError());
    throw EAbort();
  }
  MyLastError = static_cast<Int32>(StampFile(file.Handle, arcTime));
  if (MyLastError != 0) throw EAbort();
  return true;
}

HRESULT TMyStreamWriter::Write(const void* Data, UInt32 Size, UInt32* ProcessedSize) {
  return EngineGuard([&] { return WritePart(Data, Size, ProcessedSize); });
}

HRESULT TMyStreamWriter::WritePart(const void* Data, UInt32 Size, UInt32* ProcessedSize) {
  const auto* bytes = static_cast<const BYTE*>(Data);
  const UInt32 written = arcVolumeSize == 0 ? WriteSingle(bytes, Size) : WriteSpanning(bytes, Size);
  arcPosition += written;
  if (arcPosition > arcSize) arcSize = arcPosition;
  if (ProcessedSize) *ProcessedSize = written;
  return MyLastError == 0 ? S_OK : S_FALSE;
}

UInt32 TMyStreamWriter::WriteSingle(const BYTE* data, UInt32 size) {
  DWORD written = 0;
  if (FileWriteAt(FFiles[0].Handle, arcPosition, data, size, written)) return written;
  MyLastError = static_cast<Int32>(GetLastError());
  return 0;
}

UInt32 TMyStreamWriter::WriteSpanning(const BYTE* data, UInt32 size) {
  const Int64 volume = arcVolumeSize;
  if (size > 0)
    while (static_cast<Int64>(FFiles.size()) < (arcPosition + size - 1) / volume + 1) NewVolume();
  auto i = static_cast<std::size_t>(arcPosition / volume);
  Int64 offset = arcPosition % volume;
  UInt32 done = 0;
  while (done < size) {
    if (i >= FFiles.size()) NewVolume();
    auto chunk = static_cast<UInt32>(std::min<Int64>(size - done, volume - offset));
    DWORD written = 0;
    if (!FileWriteAt(FFiles[i].Handle, offset, data + done, chunk, written)) {
      MyLastError = static_cast<Int32>(GetLastError());
      return 0;
    }
    done += written;
    ++i;
    offset = 0;
  }
  return done;
}

HRESULT TMyStreamWriter::Seek(Int64 Offset, UInt32 SeekOrigin, UInt64* NewPosition) {
  if (SeekOrigin == FILE_BEGIN) arcPosition = Offset;
  if (SeekOrigin == FILE_CURRENT) arcPosition += Offset;
  if (SeekOrigin == FILE_END) arcPosition = arcSize + Offset;
  if (arcPosition > arcSize) arcSize = arcPosition;
  if (NewPosition) *NewPosition = static_cast<UInt64>(arcPosition);
  return S_OK;
}

HRESULT TMyStreamWriter::SetSize(UInt64) { return S_FALSE; }
