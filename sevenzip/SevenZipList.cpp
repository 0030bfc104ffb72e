// The read side short of extraction: opening, listing and lookup.
#include "sevenzip/ArchiveGuard.h"
#include "sevenzip/InterfaceRef.h"
#include "sevenzip/ItemProperties.h"
#include "sevenzip/OpenCallback.h"
#include "sevenzip/PathUtils.h"
#include "sevenzip/SevenZip.h"
#include "sevenzip/StreamReader.h"

namespace {

// Why an archive did not open: a missing file or one that is no archive at
// all, encrypted headers without the right password, or damage.
Int32 OpenFailureCode(bool fileOpened, bool passwordAsked, UInt64 flags) {
  if (!fileOpened || flags == kpv_ErrorFlags_IsNotArc) return CodeFileNotFound;
  if (passwordAsked) return CodeWrongPassword;
  return CodeArchiveDamaged;
}

}  // namespace

// An archive that the engine opens only with an error or warning flag (a
// half-written or damaged backup read by header recovery) counts as not
// opened. Only the 7z format is ever used.
bool TSevenZip::OpenArchive() {
  if (WideUpperCase(WideExtractFileExt(FSevenZipFileName)) == u".EXE" && !SFXCheck(FSevenZipFileName)) {
    ReportError(CodeNotSFX, FSevenZipFileName);
    return false;
  }
  auto* reader = new TMyStreamReader(this, FSevenZipFileName, true);
  reader->AddRefOf();
  TInterfaceRef<IInStream> stream(reader);
  inA->Close();
  auto* callback = new TMyArchiveOpenCallback(this);
  callback->AddRefOf();
  TInterfaceRef<IArchiveOpenCallback> openCallback(callback);
  const HRESULT result = RunEngine([&] { return inA->Open(stream.Get(), nullptr, openCallback.Get()); });
  const UInt64 flags = GetArchiveNumber(inA, kpidErrorFlags) | GetArchiveNumber(inA, kpidWarningFlags);
  if (result == S_OK && flags == 0) return true;
  ReportError(OpenFailureCode(reader->IsOpen(), callback->PasswordAsked(), flags), FSevenZipFileName);
  return false;
}

Int32 TSevenZip::List() {
  Ffiles.Clear();
  FNumberOfFiles = -1;
  const TCloseOnExit closeOnExit{this, inA, true};
  if (!OpenArchive()) return -1;
  UInt32 count = 0;
  inA->GetNumberOfItems(&count);
  FNumberOfFiles = static_cast<Int32>(count);
  for (UInt32 index = 0; index < count; ++index) {
    try {
      ListItem(index);
    } catch (...) {
      // A failing item, the handler's own errors included, does not end the listing.
    }
  }
  return FNumberOfFiles;
}

void TSevenZip::ListItem(UInt32 index) {
  const WideString path = GetItemPath(inA, index);
  const UInt64 unpacked = GetItemNumber(inA, index, kpidSize);
  const UInt64 packed = GetItemNumber(inA, index, kpidPackSize);
  const auto attributes = static_cast<UInt32>(GetItemNumber(inA, index, kpidAttrib));
  const UInt64 crc = GetItemNumber(inA, index, kpidCRC);
  const WideString method = GetItemString(inA, index, kpidMethod);
  const FILETIME modified = GetItemTime(inA, index, kpidMTime);
  const bool isDirectory = IsDirectoryItem(inA, index, attributes);
  Ffiles.AddString(isDirectory ? AddBackslash(path) : path);
  if (OnListfile)
    OnListfile(this, path, index, static_cast<Int64>(unpacked), static_cast<Int64>(packed), attributes & ~0x2000u,
               static_cast<Int64>(crc), isDirectory || unpacked == 0 ? u"None" : method,
               FileTimeToDateTimeEx(modified, 2));
}

Int32 TSevenZip::GetIndexByFilename(const WideString& FileToExtract) {
  auto* reader = new TMyStreamReader(this, FSevenZipFileName, true);
  reader->AddRefOf();
  TInterfaceRef<IInStream> stream(reader);
  const TCloseOnExit closeOnExit{this, inA, false};
  inA->Close();
  RunEngine([&] { return inA->Open(stream.Get(), nullptr, nullptr); });
  return FindItemIndex(FileToExtract);
}

Int32 TSevenZip::FindItemIndex(const WideString& name) {
  UInt32 count = 0;
  inA->GetNumberOfItems(&count);
  const WideString wanted = WideUpperCase(name);
  for (UInt32 index = 0; index < count; ++index)
    if (WideUpperCase(GetItemPath(inA, index)) == wanted) return static_cast<Int32>(index);
  return -1;
}
