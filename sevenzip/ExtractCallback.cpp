#include "sevenzip/ExtractCallback.h"

#include <algorithm>

#include "platform/Exceptions.h"
#include "platform/FileApi.h"
#include "sevenzip/EngineGuard.h"
#include "sevenzip/ItemProperties.h"
#include "sevenzip/OpenCallback.h"
#include "sevenzip/PathUtils.h"
#include "sevenzip/StreamWriter.h"

namespace {

constexpr UInt32 UnixTypeMask = 0170000;
constexpr UInt32 UnixLinkType = 0120000;

constexpr UInt32 SpecialModeBits = 07000u << 16;

bool StoresMode(UInt32 attributes) { return (attributes & FILE_ATTRIBUTE_UNIX_EXTENSION) && (attributes >> 16) != 0; }

// The attribute word that gives a restored folder the permission bits of its
// stored mode.
UInt32 FolderPermissions(UInt32 attributes) {
  return FILE_ATTRIBUTE_UNIX_EXTENSION | FILE_ATTRIBUTE_DIRECTORY | (((attributes >> 16) & 0777u) << 16);
}

// A stored Unix mode gives a file its permission bits only: set-user-ID,
// set-group-ID and sticky bits are not restored, as the 7z command does.
UInt32 FileAttributes(UInt32 attributes) { return attributes & ~SpecialModeBits; }

// The directory an output file goes into. On this host ':' is a plain
// character of a name, so only the backslash separates.
WideString ItemDirectory(const WideString& path) {
  const auto last = path.rfind(u'\\');
  return last == WideString::npos ? WideString() : path.substr(0, last);
}

// How an item is named in a report when the engine gives it no name (an
// empty stored name, or one too long for the engine).
WideString UnnamedItem(UInt32 index) {
  const std::string number = std::to_string(index);
  return u"(unnamed item " + WideString(number.begin(), number.end()) + u")";
}

}  // namespace

// ':' is a plain character on this host, so a name such as C:\x lands
// inside the base like any other.
bool IsUnsafeItem(const WideString& storedPath, UInt32 attributes) {
  if ((attributes & FILE_ATTRIBUTE_UNIX_EXTENSION) && ((attributes >> 16) & UnixTypeMask) == UnixLinkType) return true;
  if (!storedPath.empty() && (storedPath[0] == u'\\' || storedPath[0] == u'/')) return true;
  for (std::size_t start = 0; start <= storedPath.size();) {
    const auto end = std::min(storedPath.find(u'\\', start), storedPath.size());
    if (storedPath.compare(start, end - start, u"..") == 0) return true;
    start = end + 1;
  }
  return false;
}

TMyArchiveExtractCallback::TMyArchiveExtractCallback(TSevenZip* Owner, IInArchive* archive,
                                                     const WideString& extractDirectory, Int64 filesToExtract)
    : FSevenzip(Owner),
      FArchive(archive),
      FExtractDirectory(extractDirectory),
      FFilestoextract(filesToExtract),
      FPassword(Owner ? Owner->Password() : WideString()) {}

IUnknown* TMyArchiveExtractCallback::FindInterface(REFIID iid) {
  if (iid == IID_IUnknown || iid == IID_IProgress || iid == IID_IArchiveExtractCallback)
    return static_cast<IArchiveExtractCallback*>(this);
  if (iid == IID_ICryptoGetTextPassword) return static_cast<ICryptoGetTextPassword*>(this);
  return nullptr;
}

HRESULT TMyArchiveExtractCallback::CryptoGetTextPassword(BSTR* Password) { return AnswerPassword(FPassword, Password); }

HRESULT TMyArchiveExtractCallback::SetTotal(UInt64 total) {
  return EngineGuard([&] {
    if (FFilestoextract == 0) FSevenzip->RaisePreProgress(static_cast<Int64>(total));
    return S_OK;
  });
}

HRESULT TMyArchiveExtractCallback::SetCompleted(const UInt64* completeValue) {
  return EngineGuard([&] {
    if (FProgressFilePos == 0) FSevenzip->RaiseExtractfile(FProgressFile, FProgressFileSize);
    // A report without a value counts as no progress.
    const Int64 complete = completeValue ? static_cast<Int64>(*completeValue) : FLastPos;
    FProgressFilePos += complete - FLastPos;
    FLastPos = complete;
    FSevenzip->RaiseProgress(FProgressFile, complete, FProgressFilePos);
    HRESULT answer = FAllFilesExt ? S_FALSE : S_OK;
    if (FSevenzip->MainCancel()) {
      answer = S_FALSE;
      FSevenzip->ReportError(CodeUserCanceled, FProgressFile);
    }
    return answer;
  });
}

HRESULT TMyArchiveExtractCallback::GetStream(UInt32 index, ISequentialOutStream** outStream, Int32 askExtractMode) {
  return EngineGuard([&] {
    if (outStream) *outStream = nullptr;
    if (FSevenzip->MainCancel()) return S_FALSE;
    if (askExtractMode == kExtract) return ExtractItem(index, outStream);
    if (askExtractMode == kTest) {
      FProgressFile = GetItemPath(FArchive, index);
      FProgressFilePos = 0;
      FProgressFileSize = static_cast<Int64>(GetItemNumber(FArchive, index, kpidSize));
    }
    return S_OK;
  });
}

// Unsafe items are skipped and reported with their stored path: nothing is
// ever created outside the extraction directory. Every other item that is
// left out is reported with its output path: deletion markers, and items
// whose place is taken (a second item of a name, a file where a folder is)
// without permission to replace it.
HRESULT TMyArchiveExtractCallback::ExtractItem(UInt32 index, ISequentialOutStream** outStream) {
  const WideString stored = GetItemPath(FArchive, index);
  const UInt64 size = GetItemNumber(FArchive, index, kpidSize);
  const auto attributes = static_cast<UInt32>(GetItemNumber(FArchive, index, kpidAttrib));
  const bool directory = IsDirectoryItem(FArchive, index, attributes);
  const FILETIME modified = GetItemTime(FArchive, index, kpidMTime);
  const bool noPath = FSevenzip->ExtractOptions().Has(ExtractNoPath);
  WideString path = FExtractDirectory + (noPath ? WideExtractFileName(stored) : stored);
  const WideString composed = path;
  if (stored.empty() || GetItemFlag(FArchive, index, kpidIsAnti).value_or(false)) {
    FSevenzip->ReportError(CodeItemSkipped, stored.empty() ? UnnamedItem(index) : composed);
    return S_OK;
  }
  DWORD existing = INVALID_FILE_ATTRIBUTES;
  if (IsUnsafeItem(stored, attributes) || ReachesThroughALink(path, existing)) {
    FSevenzip->ReportError(CodeUnsafeName, stored);
    return S_OK;
  }
  FSevenzip->RaiseSetExtractName(index, path);
  // Only the composed path was checked for links, not one a handler chose.
  const bool checked = path == composed;
  if (!checked) existing = GetFileAttributesW(path.c_str());
  if (existing != INVALID_FILE_ATTRIBUTES && !FSevenzip->ExtractOptions().Has(ExtractOverwrite) &&
      !FSevenzip->RaiseExtractOverwrite(path)) {
    // A handler's no is the caller's own choice; a folder already there for
    // a folder item leaves nothing out.
    if (!FSevenzip->OnExtractOverwrite && (!directory || !(existing & FILE_ATTRIBUTE_DIRECTORY)))
      FSevenzip->ReportError(CodeItemSkipped, path);
    return S_OK;
  }
  FProgressFile = path;
  FProgressFilePos = 0;
  FProgressFileSize = static_cast<Int64>(size);
  if (directory) {
    if (!ForceDirectories(path, checked)) {
      FSevenzip->ReportError(CodeCouldNotCreateFile, composed);
    } else {
      FFolders.push_back({WideExcludeTrailingBackslash(path), attributes, modified});
    }
    return S_OK;
  }
  if (--FFilestoextract == 0) FLastFileToExt = true;
  ForceDirectories(ItemDirectory(path), checked);
  return CreateOutput(path, composed, FileAttributes(attributes), modified, outStream);
}

// Creates the directory and those above it unless this run has already
// checked or made it; below a checked directory one creation does. Once a
// checked path's directories are there, none of them is a link, so later
// items below them need no further look at the disk. Folders are made
// without attributes: on this host only a mode would act (a read-only one
// would even keep the folder's contents out), and folder items get theirs
// once their contents are written (RestoreFolders).
bool TMyArchiveExtractCallback::ForceDirectories(const WideString& directory, bool checked) {
  if (FCheckedDirectories.contains(directory)) return true;
  const bool parentChecked = FCheckedDirectories.contains(ItemDirectory(directory));
  if (parentChecked ? !CreateDirectoryW(directory.c_str(), nullptr) && !WideDirectoryExists(directory)
                    : !WideForceDirectories(directory, 0))
    return false;
  if (!checked) return true;
  for (auto end = directory.find(u'\\', FExtractDirectory.size()); end != WideString::npos;
       end = directory.find(u'\\', end + 1))
    FCheckedDirectories.insert(directory.substr(0, end));
  FCheckedDirectories.insert(directory);
  return true;
}

HRESULT TMyArchiveExtractCallback::CreateOutput(const WideString& path, const WideString& composed,
                                                UInt32 attributes, const FILETIME& modified,
                                                ISequentialOutStream** outStream) {
  try {
    auto* writer = new TMyStreamWriter(FSevenzip->LastErrorLocation(), path, modified, attributes);
    writer->QueryInterface(IID_ISequentialOutStream, reinterpret_cast<void**>(outStream));
    return S_OK;
  } catch (const EAbort&) {
    // The item is left out and reported; the others are still extracted.
    FSevenzip->ReportError(CodeCouldNotCreateFile, composed);
    return S_OK;
  }
}

// Whether the path or an existing directory on the way to it from the
// extraction directory is a link, through which the item would land
// elsewhere; gives the attributes of what is at the path already.
bool TMyArchiveExtractCallback::ReachesThroughALink(const WideString& path, DWORD& existing) {
  const auto last = path.rfind(u'\\');
  const bool parentChecked = last != WideString::npos && FCheckedDirectories.contains(path.substr(0, last));
  for (auto end = parentChecked ? WideString::npos : path.find(u'\\', FExtractDirectory.size());
       end != WideString::npos; end = path.find(u'\\', end + 1)) {
    const WideString directory = path.substr(0, end);
    if (FCheckedDirectories.contains(directory)) continue;
    const DWORD found = GetFileAttributesW(directory.c_str());
    if (found == INVALID_FILE_ATTRIBUTES) return false;
    if (found & FILE_ATTRIBUTE_REPARSE_POINT) return true;
    FCheckedDirectories.insert(directory);
  }
  existing = GetFileAttributesW(path.c_str());
  return existing != INVALID_FILE_ATTRIBUTES && (existing & FILE_ATTRIBUTE_REPARSE_POINT);
}

HRESULT TMyArchiveExtractCallback::PrepareOperation(Int32) { return S_OK; }

void TMyArchiveExtractCallback::RestoreFolders() {
  std::stable_sort(FFolders.begin(), FFolders.end(), [](const TFolder& a, const TFolder& b) {
    return std::count(a.Path.begin(), a.Path.end(), u'\\') > std::count(b.Path.begin(), b.Path.end(), u'\\');
  });
  for (const TFolder& folder : FFolders) {
    if (StoresMode(folder.Attributes)) SetFileAttributesW(folder.Path.c_str(), FolderPermissions(folder.Attributes));
    if (folder.Modified.dwLowDateTime == 0 && folder.Modified.dwHighDateTime == 0) continue;
    const HANDLE handle = CreateFileW(folder.Path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                      FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) continue;
    SetFileTime(handle, nullptr, nullptr, &folder.Modified);
    CloseHandle(handle);
  }
}

// Results beyond the three the table names (a stream that ends too early,
// data after the end, headers errors, a wrong password) are failures too.
HRESULT TMyArchiveExtractCallback::SetOperationResult(Int32 resultEOperationResult) {
  return EngineGuard([&] {
    switch (resultEOperationResult) {
      case kOK: FSevenzip->SetErrCode(CodeSuccess); break;
      case kUnsupportedMethod: FSevenzip->ReportError(CodeUnsupportedMethod, FProgressFile); break;
      case kCRCError: FSevenzip->ReportError(CodeCRCError, FProgressFile); break;
      case kWrongPassword: FSevenzip->ReportError(CodeWrongPassword, FProgressFile); break;
      default: FSevenzip->ReportError(CodeDataError, FProgressFile); break;
    }
    if (FLastFileToExt) FAllFilesExt = true;
    return S_OK;
  });
}
