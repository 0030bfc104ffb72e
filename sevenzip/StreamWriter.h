// The engine's output stream: one file, or a numbered series of volume
// files of a fixed size, seen as one byte sequence with a 64-bit position.
// Nothing is buffered: each request becomes direct positioned writes.
#pragma once

#include <optional>

#include "sevenzip/DateTimeUtils.h"
#include "sevenzip/InterfacedObject.h"
#include "sevenzip/SevenZipIntf.h"
#include "sevenzip/StreamFiles.h"

class TMyStreamWriter : public TInterfaced<IOutStream> {
 public:
  // Creates (with CreateSFX: opens and continues) the first file at once;
  // raises the silent abort when it cannot, after copying its error code to
  // PLastError.
  TMyStreamWriter(Int32* PLastError, const WideString& sz, TDateTime szDate, UInt32 FAttr, Int32 VolumeSize,
                  bool CreateSFX);
  // One file stamped with a time kept to the file time's 100 ns, as an
  // extracted item is; a zero time leaves the file's own.
  TMyStreamWriter(Int32* PLastError, const WideString& sz, const FILETIME& exactTime, UInt32 FAttr);

  HRESULT Write(const void* Data, UInt32 Size, UInt32* ProcessedSize) override;
  HRESULT Seek(Int64 Offset, UInt32 SeekOrigin, UInt64* NewPosition) override;
  HRESULT SetSize(UInt64 newSize) override;
  HRESULT WritePart(const void* Data, UInt32 Size, UInt32* ProcessedSize);

  // The files created so far, in creation order.
  const TArrayOfFiles& Files() const { return FFiles; }

 protected:
  ~TMyStreamWriter() override;
  IUnknown* FindInterface(REFIID iid) override;

 private:
  TMyStreamWriter(Int32* PLastError, const WideString& sz, const std::optional<FILETIME>& time, UInt32 FAttr,
                  Int32 VolumeSize, bool CreateSFX);
  bool NewVolume();
  UInt32 WriteSingle(const BYTE* data, UInt32 size);
  UInt32 WriteSpanning(const BYTE* data, UInt32 size);
  void CleanUp();

  WideString arcName;
  // The files' time; none when the date given has no DOS form.
  std::optional<FILETIME> arcTime;
  UInt32 arcAttr;
  bool arcCreateSFX;
  UInt32 arcVolumeSize;
  Int64 arcPosition = 0;
  Int64 arcSize = 0;
  Int32* FPLastError;
  Int32 MyLastError = 0;
  TArrayOfFiles FFiles;
};
