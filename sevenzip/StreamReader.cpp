#include "sevenzip/StreamReader.h"

#include <algorithm>

#include "platform/FileApi.h"
#include "platform/LastError.h"
#include "platform/UserInterface.h"
#include "sevenzip/EngineGuard.h"
#include "sevenzip/ExecutableImage.h"
#include "sevenzip/PathUtils.h"
#include "sevenzip/StartHeader.h"

namespace {

HANDLE OpenForReading(const WideString& name) {
  return WideCreateFile(name, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
}

Int32 LastErrorCode() { return static_cast<Int32>(GetLastError()); }

// A volume's size from its directory entry, without opening it; false when
// there is no file of that name.
bool MeasureVolume(TFiles& volume) {
  DWORD attributes = 0;
  FILETIME time;
  std::int64_t size = 0;
  WideGetFileInfo(volume.Name, size, time, attributes);
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) return false;
  volume.Size = size;
  return true;
}

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
  const bool sfx = Owner && Owner->IsSFX();
  if (Owner) {
    if (asArchive && sfx) arcPosition = Owner->SFXOffset();
    FOnOpenVolume = Owner->OnOpenVolume;
  }
  FStart = arcPosition;
  FVolumeStem = FirstVolumeStem();
  TFiles first;
  first.Name = arcName;
  first.Handle = OpenForReading(first.Name);
  if (first.Handle == INVALID_HANDLE_VALUE) {
    MyLastError = LastErrorCode();
  } else {
    first.Size = FileSize64(first.Handle);
  }
  // This host has no drive letters: the drive is that of the file's
  // directory. Only an archive's volumes are ever asked for.
  first.OnRemovableDrive = asArchive && IsRemovableDrive(WideExtractFilePath(first.Name));
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

// A reader whose size was measured knows its set already; one read before
// that finds out during the read whether the archive goes on in volumes.
HRESULT TMyStreamReader::ReadPart(void* Data, UInt32 Size, UInt32* ProcessedSize) {
  if (FArchive && !FMeasured && Files.size() <= 1 && arcPosition + Size > Files[0].Size) {
    arcSize = arcPosition + Size;
    if (!OpenLastVolume()) return S_FALSE;
    FMultivolume = true;
  }
  auto* bytes = static_cast<BYTE*>(Data);
  return FArchive && FMultivolume ? ReadVolumes(bytes, Size, ProcessedSize) : ReadSingle(bytes, Size, ProcessedSize);
}

HRESULT TMyStreamReader::ReadSingle(BYTE* data, UInt32 size, UInt32* processed) {
  const Int64 position = arcPosition;
  DWORD count = 0;
  const bool failed = !FileReadAt(Files[0].Handle, position, data, size, count);
  if (failed) {
    MyLastError = LastErrorCode();
    count = 0;
  }
  arcPosition = position + count;
  if (processed) *processed = count;
  if (FCounted) *FCounted = arcPosition;
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
    if (!KnowVolume(k)) return S_FALSE;
    end += Files[k].Size;
    if (position < end) break;
  }
  std::size_t i = k;
  Int64 offset = position - (end - Files[k].Size);
  UInt32 done = 0;
  while (done < size) {
    if ((done > 0 && !KnowVolume(i)) || !HoldOpen(i)) return S_FALSE;
    const auto chunk = static_cast<UInt32>(std::min<Int64>(size - done, Files[i].Size - offset));
    DWORD count = 0;
    if (!FileReadAt(Files[i].Handle, offset, data + done, chunk, count)) {
      MyLastError = LastErrorCode();
      done = 0;
      break;
    }
    done += count;
    if (count < chunk) break;
    ++i;
    offset = 0;
  }
  arcPosition = position + done;
  if (processed) *processed = done;
  return MyLastError == 0 ? S_OK : S_FALSE;
}

WideString TMyStreamReader::VolumeNameOf(Int32 index) const {
  return index == 1 ? arcName : VolumeName(FVolumeStem, index);
}

// A volume looked for where the last answer was found, else beside the first.
WideString TMyStreamReader::FindVolumeName(Int32 index) const {
  const WideString followed = VolumeNameOf(index);
  const WideString beside = VolumeName(FirstVolumeStem(), index);
  return index == 1 || followed == beside || WideFileExists(followed) || !WideFileExists(beside) ? followed : beside;
}

WideString TMyStreamReader::FirstVolumeStem() const {
  return FSevenZip && FSevenZip->IsSFX() ? arcName : WideChangeFileExt(arcName, u"");
}

bool TMyStreamReader::KnowVolume(std::size_t k) {
  if (k < Files.size() && (Files[k].Handle != INVALID_HANDLE_VALUE || Files[k].Size > 0)) return true;
  return FindVolume(static_cast<Int32>(k + 1));
}

bool TMyStreamReader::FindVolume(Int32 Index) {
  if (Files.size() < static_cast<std::size_t>(Index)) Files.resize(static_cast<std::size_t>(Index));
  TFiles& entry = Files[static_cast<std::size_t>(Index - 1)];
  if (entry.Name.empty()) entry.Name = FindVolumeName(Index);
  while (!MeasureVolume(entry))
    if (!AskForVolume(entry, Index)) return false;
  return entry.Size > 0;
}

// The owner's OnOpenVolume handler, else the user, names the missing
// volume; an answer numbered as that volume also tells where the volumes
// after it are. Cancelling forgets the volume.
bool TMyStreamReader::AskForVolume(TFiles& entry, Int32 Index) {
  bool cancel = false;
  if (FOnOpenVolume) {
    OnCallerThread([&] { FOnOpenVolume(entry.Name, entry.OnRemovableDrive, cancel); });
  } else {
    cancel = !BrowseForFile(u"Select volume", entry.Name);
  }
  if (cancel) {
    entry.Name.clear();
    entry.Size = 0;
    return false;
  }
  Int32 number = 0;
  if (ExtensionNumber(entry.Name, number) && number == Index) FVolumeStem = WideChangeFileExt(entry.Name, u"");
  return true;
}

bool TMyStreamReader::HoldOpen(std::size_t k) {
  TFiles& entry = Files[k];
  if (entry.Handle != INVALID_HANDLE_VALUE) return true;
  if (FHeld > 0 && FHeld != k && Files[FHeld].Handle != INVALID_HANDLE_VALUE) {
    CloseHandle(Files[FHeld].Handle);
    Files[FHeld].Handle = INVALID_HANDLE_VALUE;
  }
  for (;;) {
    entry.Handle = OpenForReading(entry.Name);
    if (entry.Handle != INVALID_HANDLE_VALUE) break;
    if (!AskForVolume(entry, static_cast<Int32>(k + 1))) return false;
  }
  entry.Size = FileSize64(entry.Handle);
  FHeld = k;
  return true;
}

bool TMyStreamReader::OpenVolume(Int32 Index) {
  if (Index <= 0) return false;
  const auto index = static_cast<std::size_t>(Index - 1);
  if (index < Files.size() && Files[index].Handle != INVALID_HANDLE_VALUE) return true;
  return FindVolume(Index) && HoldOpen(index);
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

// The engine asks for an archive's size before it reads. When the first file
// holds a sound start header, the archive is as long as that header says:
// if the file is shorter, the set goes on in volumes, found (and asked for,
// when missing) as reads reach them. Without one, a numbered first volume is
// followed by the volumes that lie beside it; anything else is one file, and
// nobody is asked about it.
bool TMyStreamReader::MeasureArchive() {
  if (arcSize > 0 || !FArchive || !IsOpen()) return arcSize > 0;
  FMeasured = true;
  unsigned char header[StartHeaderSize] = {};
  const bool read = ReadAt(Files[0].Handle, FStart, header, StartHeaderSize) == StartHeaderSize;
  const Int64 length = read ? ArchiveLengthFromStartHeader(header) : 0;
  arcSize = Files[0].Size;
  if (length > 0 && FStart + length > Files[0].Size) {
    FMultivolume = true;
    arcSize = FStart + length;
  } else if (length == 0) {
    MeasureNumberedRun();
  }
  return arcSize > 0;
}

void TMyStreamReader::MeasureNumberedRun() {
  Int32 first = 0;
  if (!(FSevenZip && FSevenZip->IsSFX()) && !ExtensionNumber(arcName, first)) return;
  for (Int32 index = 2;; ++index) {
    TFiles volume;
    volume.Name = VolumeNameOf(index);
    if (!MeasureVolume(volume)) return;
    Files.push_back(volume);
    arcSize += volume.Size;
    FMultivolume = true;
  }
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
