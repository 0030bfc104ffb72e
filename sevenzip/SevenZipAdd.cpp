// TSevenZip::Add: gathers the entries, opens the output, sets the
// compression properties and lets the engine pull the data.
#include <vector>

#include "platform/FileApi.h"
#include "platform/FindApi.h"
#include "platform/LastError.h"
#include "sevenzip/EngineLibrary.h"
#include "sevenzip/InterfaceRef.h"
#include "sevenzip/PathUtils.h"
#include "sevenzip/SevenZip.h"
#include "sevenzip/StreamWriter.h"
#include "sevenzip/UpdateCallback.h"

namespace {

UInt32 CompressionLevel(TCompressStrength strength) {
  switch (strength) {
    case TCompressStrength::SAVE: return 0;
    case TCompressStrength::FAST: return 3;
    case TCompressStrength::NORMAL: return 5;
    case TCompressStrength::MAXIMUM: return 7;
    case TCompressStrength::ULTRA: return 9;
  }
  return 5;
}

// The (name, value) pairs handed to SetProperties; string values belong to
// the engine's allocator and are freed again once they were handed over.
class TPropertyList {
 public:
  ~TPropertyList() {
    for (PROPVARIANT& value : FValues) EngineClearValue(value);
  }
  void AddNumber(const wchar_t* name, UInt32 number) {
    PROPVARIANT value{};
    value.vt = VT_UI4;
    value.ulVal = number;
    Add(name, value);
  }
  void AddText(const wchar_t* name, const WideString& text) {
    PROPVARIANT value{};
    value.vt = VT_BSTR;
    value.bstrVal = EngineAllocString(text);
    Add(name, value);
  }
  void SendTo(ISetProperties* properties) const {
    properties->SetProperties(FNames.data(), FValues.data(), static_cast<UInt32>(FValues.size()));
  }

 private:
  void Add(const wchar_t* name, const PROPVARIANT& value) {
    FNames.push_back(name);
    FValues.push_back(value);
  }
  std::vector<const wchar_t*> FNames;
  std::vector<PROPVARIANT> FValues;
};

Int64 SearchSize(const WIN32_FIND_DATAW& data) {
  return static_cast<Int64>((static_cast<UInt64>(data.nFileSizeHigh) << 32) | data.nFileSizeLow);
}

}  // namespace

Int32 TSevenZip::Add() {
  ClearCancel();
  struct TClearOnExit {
    TSevenZip* Owner;
    ~TClearOnExit() { Owner->ClearCancel(); }
  } clearOnExit{this};
  auto* created = new TMyArchiveUpdateCallback(this);
  created->AddRefOf();
  TInterfaceRef<IArchiveUpdateCallback> callback(created);
  FItemsAdded.clear();

  FRootDir = WideUpperCase(FRootDir);
  created->RootDir = AddBackslash(FRootDir);
  const UInt32 count = Ffiles.Count;
  for (UInt32 i = 0; i < count; ++i) GatherEntry(*created, Ffiles.WStrings[i]);
  created->TrimEntries();
  FEntriesGathered = created->EntryCount();
  RaisePreProgress(created->TotalSize());
  // Stopped on seeing the total: nothing is created.
  if (MainCancel()) {
    ReportError(CodeUserCanceled, u"");
    return -1;
  }

  TInterfaceRef<IOutStream> output(OpenAddOutput());
  if (!output) return -1;
  SetCompressionProperties();
  Int32 result = -1;
  if (created->EntryCount() > 0) {
    result = RunEngine([&] { return outA->UpdateItems(output.Get(), created->EntryCount(), callback.Get()); });
  } else {
    ReportError(CodeNoFilesToAdd, u"");
  }
  if (result == S_OK) FItemsAdded = created->ItemsStored();
  ClearVolumeNames();
  for (const TFiles& file : static_cast<TMyStreamWriter*>(output.Get())->Files())
    FNamesOfVolumesWritten.push_back(file.Name);
  return result;
}

void TSevenZip::GatherEntry(TMyArchiveUpdateCallback& callback, const WideString& entry) {
  const auto star = entry.find(u'*');
  if (star != WideString::npos) {
    const WideString directory = AddBackslash(entry.substr(0, star));
    AddMaskDirectory(callback, directory);
    ScanDirectory(callback, directory, entry.substr(star + 1, 8));
    return;
  }
  Int64 size;
  FILETIME time;
  DWORD attributes;
  WideGetFileInfo(entry, size, time, attributes);
  if (size >= 0) callback.AddFileEntry(entry, time, attributes, size);
}

void TSevenZip::AddMaskDirectory(TMyArchiveUpdateCallback& callback, const WideString& directory) {
  const WideString path = WideExcludeTrailingBackslash(directory);
  if (!WideDirectoryExists(path)) return;
  Int64 size;
  FILETIME time;
  DWORD attributes;
  WideGetFileInfo(path, size, time, attributes);
  // Without a root the leading separator goes, as this host has no drive prefix.
  const std::size_t dropped = FRootDir.empty() ? 1 : FRootDir.size();
  if (path.size() > dropped) callback.AddFileEntry(path.substr(dropped), time, attributes, size);
}

// Depth first, in the order the directory search gives; a directory's entry
// precedes its contents. Names the search had to pass over are reported.
void TSevenZip::ScanDirectory(TMyArchiveUpdateCallback& callback, const WideString& directory,
                              const WideString& filter) {
  WIN32_FIND_DATAW data;
  const HANDLE search = FindFirstFileW((directory + u"*.*").c_str(), &data);
  if (search == INVALID_HANDLE_VALUE) {
    ReportUnsearchable(directory);
    return;
  }
  do {
    const WideString name = data.cFileName;
    if (name == u"." || name == u"..") continue;
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      if (!FAddOptions.Has(AddStoreOnlyFilename))
        callback.AddFileEntry(directory + name, data.ftLastWriteTime, data.dwFileAttributes, SearchSize(data));
      if (FAddOptions.Has(AddRecurseDirs)) ScanDirectory(callback, AddBackslash(directory + name), filter);
    } else if (filter == u".*" || WideExtractFileExt(name) == filter) {
      callback.AddFileEntry(directory + name, data.ftLastWriteTime, data.dwFileAttributes, SearchSize(data));
    }
  } while (!FMainCancel && FindNextFileW(search, &data));
  if (!FMainCancel) ReportUnsearchable(directory);
  FindClose(search);
  for (const WideString& skipped : TakeUnrepresentableNames()) ReportError(CodeCouldNotReadFile, skipped);
}

// A folder that cannot be searched (or whose search breaks off) is named like
// a file that cannot be read; an empty folder or the end of a search is none.
void TSevenZip::ReportUnsearchable(const WideString& directory) {
  const DWORD error = GetLastError();
  if (error != ERROR_FILE_NOT_FOUND && error != ERROR_NO_MORE_FILES && error != ERROR_PATH_NOT_FOUND)
    ReportError(CodeCouldNotReadFile, WideExcludeTrailingBackslash(directory));
}

IOutStream* TSevenZip::OpenAddOutput() {
  const bool sfx = FSFXCreate && WideFileExists(FSFXModule);
  if (sfx) {
    FSevenZipFileName = WideChangeFileExt(FSevenZipFileName, u".exe");
    if (!CopyFileW(FSFXModule.c_str(), FSevenZipFileName.c_str(), TRUE)) {
      FLastError = static_cast<Int32>(GetLastError());
      ReportError(CodeCouldNotCreateSFX, FSevenZipFileName);
      return nullptr;
    }
  }
  // Archives hold whatever was added, cookies and logins included: readable by their owner only.
  constexpr UInt32 PrivateArchive = FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_UNIX_EXTENSION | (0600u << 16);
  auto* writer = new TMyStreamWriter(&FLastError, FSevenZipFileName, Now(), PrivateArchive, FVolumeSize, sfx);
  writer->AddRefOf();
  return writer;
}

void TSevenZip::SetCompressionProperties() {
  TInterfaceRef<ISetProperties> properties;
  if (outA->QueryInterface(IID_ISetProperties, properties.Out()) != S_OK) return;
  const UInt32 level = CompressionLevel(FCompstrength);
  const bool encryptHeaders = !FPassword.empty() && FAddOptions.Has(AddEncryptFilename);
  TPropertyList list;
  if (FCompresstype == TCompressType::LZMA) {
    list.AddNumber(L"X", level);
    list.AddText(L"s", FAddOptions.Has(AddSolid) ? u"on" : u"off");
    // A stored archive keeps its header uncompressed too: packing the header
    // of many thousand entries costs a stored backup most of its time.
    if (level == 0) list.AddText(L"hc", u"off");
    if (FLZMAStrength > 0) list.AddNumber(L"d", FLZMAStrength);
  } else {
    list.AddText(L"0", u"PPMd");
    list.AddNumber(L"X", level);
    if (FPPMDSize > 0) list.AddNumber(L"o", FPPMDSize);
    if (FPPMDMem > 0) list.AddNumber(L"mem", FPPMDMem);
  }
  if (encryptHeaders) list.AddText(L"he", u"on");
  list.SendTo(properties.Get());
}
