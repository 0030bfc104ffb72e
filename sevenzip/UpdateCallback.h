// The engine's update callback for Add: it holds the gathered entries,
// names each stored entry, opens each input file and turns the engine's
// progress into the component's events.
#pragma once

#include <vector>

#include "sevenzip/InterfacedObject.h"
#include "sevenzip/SevenZip.h"

class TMyArchiveUpdateCallback : public TInterfaced<IArchiveUpdateCallback, ICryptoGetTextPassword2> {
 public:
  explicit TMyArchiveUpdateCallback(TSevenZip* Owner);

  HRESULT SetTotal(UInt64 total) override;
  HRESULT SetCompleted(const UInt64* completeValue) override;
  HRESULT GetUpdateItemInfo(UInt32 index, Int32* newData, Int32* newProperties, UInt32* indexInArchive) override;
  HRESULT GetProperty(UInt32 index, PROPID propID, PROPVARIANT* value) override;
  HRESULT GetStream(UInt32 index, ISequentialInStream** inStream) override;
  HRESULT SetOperationResult(Int32 operationResult) override;
  HRESULT CryptoGetTextPassword2(Int32* passwordIsDefined, BSTR* password) override;

  // Records one gathered entry and adds its size to the total.
  void AddFileEntry(const WideString& name, const FILETIME& time, UInt32 attributes, Int64 size);
  // Trims the entry arrays to the entry count.
  void TrimEntries();
  UInt32 EntryCount() const { return static_cast<UInt32>(Files.size()); }
  Int64 TotalSize() const { return FTotalSize; }
  // The entries the engine stored: named as stored, sized as read.
  std::vector<TAddedItem> ItemsStored() const;

  WideString RootDir;

 protected:
  IUnknown* FindInterface(REFIID iid) override;

 private:
  WideString StoredName(UInt32 index);

  TSevenZip* FSevenZip;
  TWideStringArray Files;
  std::vector<Int64> Files_size;
  std::vector<FILETIME> Files_Date;
  std::vector<UInt32> Files_Attr;
  // Per entry: the name the engine was given, and the bytes read for it
  // (-1: left out, never opened or not yet asked for).
  TWideStringArray Files_stored;
  std::vector<Int64> Files_read;
  WideString FProgressFile;
  Int64 FProgressFilePos = 0;
  Int64 FprogressFileSize = 0;
  Int64 FLastPos = 0;
  WideString FPassword;
  Int64 FTotalSize = 0;
};
