#include "sevenzip/StreamReader.h"

#include <algorithm>

#include "platform/FileApi.h"
#include "platform/LastError.h"
#include "platform/UserInterface.h"
#include "sevenzip/EngineGuard.h"
#include "sevenzip/PathUtils.h"

namespace {

HANDLE OpenForReading(const WideString& name) {
  return WideCreateFile(name, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
}

Int32 LastErrorCode() { return static_cast<Int32>(GetLastError()); }

// The value of the extension's leading digits ('5ab' gives 5); whether the
// whole extension is a number.
bool ExtensionNumber(const WideString& name, Int32& number) {
  const WideString extension = WideExtractFileExt(name);
  number = 0;
  return !extension.empty() && ParseInt32(extension.substr(1), number);
}

}  // namespace

TMyStreamReader::TMyStreamReader(TSevenZip* Owner, const WideString& sz, bool asArchive)
    : FSevenZip(Owner), arcName(sz), FArchive(asArchive) {
  if (Owner) {
    if (asArchive && Owner->IsSFX()) arcPosition = Owner->SFXOffset();
    FOnOpenVolume = Owner->OnOpenVolume;
  }
  TFiles first;
  first.Name = arcName;
  first.Handle = OpenForReading(first.Name);
  if (first.Handle == INVALID_HANDLE_VALUE) {
    MyLastError = LastErrorCode();
  } else {
    first.Size = FileSeek64(first.Handle, FILE_END, 0);
  }
  // This host has no drive letters: the drive is that of the file's directory.
  first.OnRemovableDrive = IsRemovableDrive(WideExtractFilePath(first.Name));
  Files.push_back(first);
  arcSize = asArchive ? 0 : first.Size;
}

TMyStreamReader::~TMyStreamReader() {
  if (MyLastError != 0 && FSevenZip) FSevenZip->SetLastError(MyLastError);
  CloseFiles(Files);
}

IUnknown* TMyStreamReader::FindInterface(REFIID iid) {
  if (iid == IID_IUnknown || iid == IID_ISequentialInStream || iid == IID_IInStream)
    return static_cast<IInStream*>(this);
  if (iid == IID_IStreamGetSize) return static_cast<IStreamGetSize*>(this);
  return nullptr;
}

HRESULT TMyStreamReader::Read(void* Data, UInt32 Size, UInt32* ProcessedSize) {
  return EngineGuard([&] { return ReadPart(Data, Size, ProcessedSize); });
}

HRESULT TMyStreamReader::ReadPart(void* Data, UInt32 Size, UInt32* ProcessedSize) {
  if (FArchive && Files.size() <= 1 && arcPosition + Size > Files[0].Size) {
    arcSize = arcPosition + Size;
    if (!OpenLastVolume()) return S_FALSE;
    FMultivolume = true;
  }
  auto* bytes = static_cast<BYTE*>(Data);
  return FArchive && FMultivolume ? ReadVolumes(bytes, Size, ProcessedSize) : ReadSingle(bytes, Size, ProcessedSize);
}

HRESULT TMyStreamReader::ReadSingle(BYTE* data, UInt32 size, UInt32* processed) {
  const Int64 position = arcPosition;
  FileSeek64(Files[0].Handle, FILE_BEGIN, position);
  DWORD count = 0;
  const bool failed = !ReadFile(Files[0].Handle, data, size, &count, nullptr);
  if (failed) {
    MyLastError = LastErrorCode();
    count = 0;
  }
  arcPosition = position + count;
  if (processed) *processed = count;
  // An input file that cannot be read, or that ends before the size it had
  // when it was opened, would be stored as a truncated copy: stop instead.
  const bool shortened = count < size && position + count < Files[0].Size;
  if (!FArchive && (failed || shortened)) {
    if (FSevenZip) FSevenZip->ReportError(CodeCouldNotReadFile, arcName);
    return S_FALSE;
  }
  return S_OK;
}

HRESULT TMyStreamReader::ReadVolumes(BYTE* data, UInt32 size, UInt32* processed) {
  const Int64 position = arcPosition;
  // A set measured whole ends with its last volume.
  if (FMeasured) size = static_cast<UInt32>(std::clamp<Int64>(arcSize - position, 0, size));
  if (size == 0) {
    if (processed) *processed = 0;
    return S_OK;
  }
  Int64 end = 0;
  std::size_t k = 0;
  for (;; ++k) {
    if ((k >= Files.size() || Files[k].Handle == INVALID_HANDLE_VALUE) && !OpenVolume(static_cast<Int32>(k + 1)))
      return S_FALSE;
    end += Files[k].Size;
    if (position < end) break;
  }
  std::size_t i = k;
  Int64 offset = position - (end - Files[k].Size);
  UInt32 done = 0;
  while (done < size) {
    if (done > 0) {
      CloseHandle(Files[i - 1].Handle);
      Files[i - 1].Handle = INVALID_HANDLE_VALUE;
      Files[i - 1].Size = 0;
      if ((i >= Files.size() || Files[i].Handle == INVALID_HANDLE_VALUE) && !OpenVolume(static_cast<Int32>(i + 1)))
        return S_FALSE;
    }
    FileSeek64(Files[i].Handle, FILE_BEGIN, offset);
    const auto chunk = static_cast<UInt32>(std::min<Int64>(size - done, Files[i].Size - offset));
    DWORD count = 0;
    if (!ReadFile(Files[i].Handle, data + done, chunk, &count, nullptr)) {
      MyLastError = LastErrorCode();
      done = 0;
      break;
    }
    done += count;
    ++i;
    offset = 0;
  }
  arcPosition = position + done;
  if (processed) *processed = done;
  return MyLastError == 0 ? S_OK : S_FALSE;
}

WideString TMyStreamReader::VolumeNameOf(Int32 index) const {
  if (index == 1) return arcName;
  const bool sfx = FSevenZip && FSevenZip->IsSFX();
  return VolumeName(sfx ? arcName : WideChangeFileExt(arcName, u""), index);
}

bool TMyStreamReader::OpenEntry(TFiles& entry) {
  entry.Handle = OpenForReading(entry.Name);
  if (entry.Handle == INVALID_HANDLE_VALUE) return false;
  entry.Size = FileSeek64(entry.Handle, FILE_END, 0);
  FileSeek64(entry.Handle, FILE_BEGIN, 0);
  return true;
}

bool TMyStreamReader::OpenVolume(Int32 Index) {
  if (Index <= 0) return false;
  const auto index = static_cast<std::size_t>(Index - 1);
  if (index < Files.size() && Files[index].Handle != INVALID_HANDLE_VALUE) return true;
  if (Files.size() <= index) Files.resize(index + 1);
  TFiles& entry = Files[index];
  if (entry.Name.empty()) entry.Name = VolumeNameOf(Index);
  while (!OpenEntry(entry)) {
    if (FOnOpenVolume) {
      bool cancel = false;
      OnCallerThread([&] { FOnOpenVolume(entry.Name, entry.OnRemovableDrive, cancel); });
      if (cancel) {
        entry.Name.clear();
        return false;
      }
    } else if (!BrowseForFile(u"Select volume", entry.Name)) {
      entry.Name.clear();
      return false;
    }
  }
  return entry.Size > 0;
}

bool TMyStreamReader::OpenNextVolume() { return OpenVolume(static_cast<Int32>(Files.size() + 1)); }

bool TMyStreamReader::BelongsToSet(const WideString& name) const {
  const WideString first = WideUpperCase(WideExtractFileName(Files[0].Name));
  const WideString file = WideExtractFileName(name);
  if (FSevenZip && FSevenZip->IsSFX()) return WideUpperCase(WideChangeFileExt(file, u"")) == first;
  return WideUpperCase(WideChangeFileExt(file, WideExtractFileExt(Files[0].Name))) == first;
}

// The derivation is taken from the volume names once; when it gives no
// volume beyond the first, the user is asked, and cancelling ends the search.
bool TMyStreamReader::OpenLastVolume() {
  for (bool first = true;; first = false) {
    WideString name = first ? LastVolumeName(arcName) : WideString();
    if (name.empty() && !BrowseForFile(u"Select last volume", name)) return false;
    if (!BelongsToSet(name)) continue;
    Int32 number = 0;
    ExtensionNumber(name, number);
    if (number >= 2) return OpenVolume(number);
  }
}

void TMyStreamReader::OnCallerThread(const std::function<void()>& question) {
  if (FSevenZip) {
    FSevenZip->Ask(question);
  } else {
    question();
  }
}

bool TMyStreamReader::BrowseForFile(const WideString& Title, WideString& Name) {
  bool chosen = false;
  OnCallerThread([&] { chosen = ChooseFile(Title, Name); });
  return chosen;
}

bool TMyStreamReader::ChooseFile(const WideString& Title, WideString& Name) {
  try {
    const WideString file = WideExtractFileName(Name);
    const WideString stem = file.substr(0, file.size() - WideExtractFileExt(Name).size());
    const WideString filter = stem + u"-volumes" + u'\0' + stem + u".*" + u'\0' + u'\0';
    const WideString directory = WideExtractFilePath(Name);
    WCHAR chosen[MAX_PATH] = {};
    OPENFILENAMEW dialog = FileDialogRecord(Title.c_str(), filter.c_str(), chosen,
                                            directory.empty() ? nullptr : directory.c_str(),
                                            OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST, nullptr);
    if (!GetOpenFileNameW(&dialog)) return false;
    Name = WideString(chosen);
    return GetLastError() == 0;
  } catch (...) {
    return false;
  }
}

HRESULT TMyStreamReader::Seek(Int64 Offset, UInt32 SeekOrigin, UInt64* NewPosition) {
  HRESULT result = S_OK;
  if (SeekOrigin == FILE_BEGIN) arcPosition = Offset;
  if (SeekOrigin == FILE_CURRENT) arcPosition += Offset;
  if (SeekOrigin == FILE_END) {
    if (MeasureArchive()) {
      arcPosition = arcSize + Offset;
    } else {
      result = S_FALSE;
    }
  }
  if (NewPosition) *NewPosition = static_cast<UInt64>(arcPosition);
  return result;
}

HRESULT TMyStreamReader::GetSize(UInt64* Size) {
  if (!MeasureArchive()) return S_FALSE;
  *Size = static_cast<UInt64>(arcSize);
  return S_OK;
}

// The engine asks for an archive's size before it reads: the size is then
// that of the whole volume set when further volumes follow the first file,
// else that of the file.
bool TMyStreamReader::MeasureArchive() {
  if (arcSize > 0 || !FArchive || !IsOpen()) return arcSize > 0;
  Int32 first = 0;
  const bool numbered = (FSevenZip && FSevenZip->IsSFX()) || ExtensionNumber(arcName, first);
  Int32 last = 1;
  if (numbered)
    while (WideFileExists(VolumeNameOf(last + 1))) ++last;
  Int64 total = Files[0].Size;
  for (Int32 volume = 2; volume <= last; ++volume) {
    if (!OpenVolume(volume)) return false;
    total += Files[static_cast<std::size_t>(volume - 1)].Size;
  }
  FMultivolume = last > 1;
  FMeasured = true;
  arcSize = total;
  return arcSize > 0;
}

WideString LastVolumeName(const WideString& first) {
  const WideString stem = WideChangeFileExt(first, u"");
  Int32 number = 0;
  if (!ExtensionNumber(first, number)) return u"";
  WideString last = VolumeName(stem, number);
  for (Int64 n = number + 1;; ++n) {
    const WideString candidate = VolumeName(stem, n);
    if (!WideFileExists(candidate)) return last;
    last = candidate;
  }
}
