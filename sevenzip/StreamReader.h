// The engine's input stream: one input file, or an archive that may go on in
// further volume files, found and opened during reading. Nothing is
// buffered: each request becomes direct positioned reads.
#pragma once

#include <functional>

#include "sevenzip/InterfacedObject.h"
#include "sevenzip/SevenZip.h"
#include "sevenzip/StreamFiles.h"

class TMyStreamReader : public TInterfaced<IInStream, IStreamGetSize> {
 public:
  // Opens the first file at once; never fails. Owner may be null.
  TMyStreamReader(TSevenZip* Owner, const WideString& sz, bool asArchive);

  HRESULT Read(void* Data, UInt32 Size, UInt32* ProcessedSize) override;
  HRESULT Seek(Int64 Offset, UInt32 SeekOrigin, UInt64* NewPosition) override;
  HRESULT GetSize(UInt64* Size) override;
  HRESULT ReadPart(void* Data, UInt32 Size, UInt32* ProcessedSize);

  bool OpenVolume(Int32 Index);
  bool OpenNextVolume();
  bool OpenLastVolume();
  // Lets the user pick an existing file; Name is in-out.
  bool BrowseForFile(const WideString& Title, WideString& Name);

  // Whether the first file could be opened, and the error code if not.
  bool IsOpen() const { return Files[0].Handle != INVALID_HANDLE_VALUE; }
  Int32 OpenError() const { return MyLastError; }
  // Keeps the count of bytes read from an input file in *slot as it grows.
  void CountReadsInto(Int64* slot) { FCounted = slot; }

 protected:
  ~TMyStreamReader() override;
  IUnknown* FindInterface(REFIID iid) override;

 private:
  // Runs a question to the user on the thread that called the owner's operation.
  void OnCallerThread(const std::function<void()>& question);
  bool ChooseFile(const WideString& Title, WideString& Name);
  HRESULT ReadSingle(BYTE* data, UInt32 size, UInt32* processed);
  HRESULT ReadVolumes(BYTE* data, UInt32 size, UInt32* processed);
  WideString VolumeNameOf(Int32 index) const;
  WideString FindVolumeName(Int32 index) const;
  WideString FirstVolumeStem() const;
  bool BelongsToSet(const WideString& name) const;
  bool MeasureArchive();
  void MeasureNumberedRun();
  // Whether the size of entry k is known: measured without opening the
  // file, the user asked when it is missing.
  bool KnowVolume(std::size_t k);
  bool FindVolume(Int32 Index);
  bool AskForVolume(TFiles& entry, Int32 Index);
  // Opens entry k for reading; besides the first file at most one volume is
  // held open, so that a set of any length needs two descriptors.
  bool HoldOpen(std::size_t k);

  TSevenZip* FSevenZip;
  WideString arcName;
  Int64 arcPosition = 0;
  Int64 arcSize = 0;
  TArrayOfFiles Files;
  TOpenVolume FOnOpenVolume;
  bool FArchive;
  Int32 MyLastError = 0;
  bool FMultivolume = false;
  bool FMeasured = false;
  Int64 FStart = 0;
  WideString FVolumeStem;
  std::size_t FHeld = 0;
  Int64* FCounted = nullptr;
};

// The highest volume of the unbroken run of existing volumes that follows
// the first name; empty when the first name has no numeric extension.
WideString LastVolumeName(const WideString& first);
