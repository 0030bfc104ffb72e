#include "sevenzip/UpdateCallback.h"

#include "sevenzip/EngineGuard.h"
#include "sevenzip/EngineLibrary.h"
#include "sevenzip/PathUtils.h"
#include "sevenzip/StreamReader.h"

namespace {

void SetBool(PROPVARIANT* value, bool flag) {
  value->vt = VT_BOOL;
  value->boolVal = flag ? VARIANT_TRUE : VARIANT_FALSE;
}

void SetFileTime(PROPVARIANT* value, const FILETIME& time) {
  value->vt = VT_FILETIME;
  value->filetime = time;
}

}  // namespace

TMyArchiveUpdateCallback::TMyArchiveUpdateCallback(TSevenZip* Owner)
    : FSevenZip(Owner), FPassword(Owner ? Owner->Password() : WideString()) {}

IUnknown* TMyArchiveUpdateCallback::FindInterface(REFIID iid) {
  if (iid == IID_IUnknown || iid == IID_IProgress || iid == IID_IArchiveUpdateCallback)
    return static_cast<IArchiveUpdateCallback*>(this);
  if (iid == IID_ICryptoGetTextPassword2) return static_cast<ICryptoGetTextPassword2*>(this);
  return nullptr;
}

void TMyArchiveUpdateCallback::AddFileEntry(const WideString& name, const FILETIME& time, UInt32 attributes,
                                            Int64 size) {
  Files.push_back(name);
  Files_Date.push_back(time);
  Files_Attr.push_back(attributes);
  Files_size.push_back(size);
  Files_stored.emplace_back();
  // Folders and empty files are stored without a stream being asked for.
  Files_read.push_back((attributes & 0x10) || size == 0 ? 0 : -1);
  FTotalSize += size;
}

void TMyArchiveUpdateCallback::TrimEntries() {
  Files.shrink_to_fit();
  Files_Date.shrink_to_fit();
  Files_Attr.shrink_to_fit();
  Files_size.shrink_to_fit();
  Files_stored.shrink_to_fit();
  Files_read.shrink_to_fit();
}

std::vector<TAddedItem> TMyArchiveUpdateCallback::ItemsStored() const {
  std::vector<TAddedItem> items;
  for (std::size_t i = 0; i < Files.size(); ++i)
    if (Files_read[i] >= 0) items.push_back({Files_stored[i], Files_read[i], (Files_Attr[i] & 0x10) != 0});
  return items;
}

HRESULT TMyArchiveUpdateCallback::SetTotal(UInt64) { return S_OK; }

HRESULT TMyArchiveUpdateCallback::SetCompleted(const UInt64* completeValue) {
  return EngineGuard([&] {
    if (FProgressFilePos == 0) FSevenZip->RaiseAddfile(FProgressFile, FprogressFileSize);
    // A report without a value counts as no progress.
    const Int64 complete = completeValue ? static_cast<Int64>(*completeValue) : FLastPos;
    FProgressFilePos += complete - FLastPos;
    FLastPos = complete;
    FSevenZip->RaiseProgress(FProgressFile, complete, FProgressFilePos);
    if (!FSevenZip->MainCancel()) return S_OK;
    FSevenZip->ReportError(CodeUserCanceled, FProgressFile);
    return S_FALSE;
  });
}

HRESULT TMyArchiveUpdateCallback::GetUpdateItemInfo(UInt32, Int32* newData, Int32* newProperties,
                                                    UInt32* indexInArchive) {
  if (newData) *newData = 1;
  if (newProperties) *newProperties = 1;
  if (indexInArchive) *indexInArchive = static_cast<UInt32>(-1);
  return S_OK;
}

WideString TMyArchiveUpdateCallback::StoredName(UInt32 index) {
  WideString s = Files[index];
  if (!RootDir.empty() && WideUpperCase(s.substr(0, RootDir.size())) == RootDir) s.erase(0, RootDir.size());
  FSevenZip->RaiseSetAddName(index, s);
  // This host has no drive letters (a name such as c:d is a plain name): the
  // root prefix of an absolute name is its leading separator.
  if (!s.empty() && s[0] == u'\\') s.erase(0, 1);
  if (FSevenZip->AddOptions().Has(AddStoreOnlyFilename)) WideStripPath(s);
  return s;
}

// Properties the engine asks for and this callback does not know are
// answered S_OK with the value left empty, as the engine expects.
HRESULT TMyArchiveUpdateCallback::GetProperty(UInt32 index, PROPID propID, PROPVARIANT* value) {
  return EngineGuard([&] {
    switch (propID) {
      case kpidPath:
        value->vt = VT_BSTR;
        Files_stored[index] = StoredName(index);
        value->bstrVal = ItemNameToEngine(Files_stored[index]);
        break;
      case kpidIsDir: SetBool(value, (Files_Attr[index] & 0x10) != 0); break;
      case kpidSize:
        value->vt = VT_UI8;
        value->uhVal = static_cast<UInt64>(Files_size[index]);
        break;
      case kpidAttrib:
        value->vt = VT_UI4;
        value->ulVal = Files_Attr[index];
        break;
      case kpidCTime:
      case kpidATime: SetFileTime(value, {0, 0}); break;
      case kpidMTime: SetFileTime(value, Files_Date[index]); break;
      case kpidIsAnti: SetBool(value, false); break;
      default: break;
    }
    return S_OK;
  });
}

// A file that vanished or cannot be opened since the scan is reported and
// skipped (S_FALSE): the engine then leaves it out of the archive.
HRESULT TMyArchiveUpdateCallback::GetStream(UInt32 index, ISequentialInStream** inStream) {
  return EngineGuard([&] {
    *inStream = nullptr;
    FProgressFile = Files[index];
    FprogressFileSize = Files_size[index];
    FProgressFilePos = 0;
    auto* reader = new TMyStreamReader(FSevenZip, Files[index], false);
    reader->QueryInterface(IID_ISequentialInStream, reinterpret_cast<void**>(inStream));
    Files_read[index] = -1;
    if (reader->IsOpen()) {
      Files_read[index] = 0;
      reader->CountReadsInto(&Files_read[index]);
      return S_OK;
    }
    const Int32 error = reader->OpenError();
    const bool vanished = error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
    (*inStream)->Release();
    *inStream = nullptr;
    FSevenZip->ReportError(vanished ? CodeFileNotFound : CodeCouldNotReadFile, FProgressFile);
    return S_FALSE;
  });
}

HRESULT TMyArchiveUpdateCallback::SetOperationResult(Int32) { return S_OK; }

HRESULT TMyArchiveUpdateCallback::CryptoGetTextPassword2(Int32* passwordIsDefined, BSTR* password) {
  return EngineGuard([&] {
    if (FPassword.empty()) {
      *passwordIsDefined = 0;
      return S_OK;
    }
    *passwordIsDefined = -1;
    *password = EngineAllocString(FPassword);
    return S_OK;
  });
}
