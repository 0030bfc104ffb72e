// The archive component: it binds the engine when constructed, keeps one
// engine archive object for reading and one for writing, and reports what
// happens through its events and two error values.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <vector>

#include "sevenzip/SevenZipIntf.h"
#include "sevenzip/WideStringList.h"

class TSevenZip;
class TEngineRelay;
class TMyArchiveUpdateCallback;
struct ISequentialOutStream;

enum class TCompressType : std::uint8_t { LZMA, PPMD };
enum class TCompressStrength : std::uint8_t { SAVE, FAST, NORMAL, MAXIMUM, ULTRA };
using TLZMAStrength = std::uint8_t;
using TPPMDMem = std::uint8_t;
using TPPMDSize = std::uint8_t;

enum AddOptsEnum { AddRecurseDirs, AddSolid, AddStoreOnlyFilename, AddIncludeDriveLetter, AddEncryptFilename };
enum ExtractOptsEnum { ExtractNoPath, ExtractOverwrite };

// A set of option values in one byte: bit n for the n-th value.
template <typename Enum>
class TOptionSet {
 public:
  TOptionSet() = default;
  TOptionSet(std::initializer_list<Enum> values) {
    for (Enum value : values) FBits |= static_cast<std::uint8_t>(1u << value);
  }
  bool Has(Enum value) const { return (FBits >> value) & 1u; }
  std::uint8_t Bits() const { return FBits; }

 private:
  std::uint8_t FBits = 0;
};
using AddOpts = TOptionSet<AddOptsEnum>;
using ExtractOpts = TOptionSet<ExtractOptsEnum>;

using TWideStringArray = std::vector<WideString>;

// An item as the last Add stored it: its name in the archive, the bytes
// read for it, and whether it is a folder.
struct TAddedItem {
  WideString Name;
  Int64 Size;
  bool Directory;
};

using T7zPreProgressEvent = std::function<void(TSevenZip* Sender, Int64 MaxProgress)>;
using T7zProgressEvent =
    std::function<void(TSevenZip* Sender, const WideString& Filename, Int64 FilePosArc, Int64 FilePosFile)>;
using T7zAddFileEvent = std::function<void(TSevenZip* Sender, const WideString& Filename, Int64 Filesize)>;
using T7zExtractfileEvent = std::function<void(TSevenZip* Sender, const WideString& Filename, Int64 Filesize)>;
using T7zListfileEvent =
    std::function<void(TSevenZip* Sender, const WideString& Filename, Int64 Fileindex, Int64 FileSizeU,
                       Int64 FileSizeP, Int64 Fileattr, Int64 Filecrc, const WideString& Filemethod, double FileTime)>;
using T7zMessageEvent =
    std::function<void(TSevenZip* Sender, Int32 ErrCode, const WideString& Message, const WideString& Filename)>;
using T7zSetNewNameEvent = std::function<void(TSevenZip* Sender, UInt32 FileIndex, WideString& OldFileName)>;
using T7zExtractOverwrite = std::function<void(TSevenZip* Sender, const WideString& FileName, bool& DoOverwrite)>;
using TOpenVolume = std::function<void(WideString& arcFileName, bool Removable, bool& Cancel)>;

// The message table behind ErrCode.
enum : Int32 {
  CodeSuccess = 0,
  CodeFileNotFound = 1,
  CodeDataError = 2,
  CodeCRCError = 3,
  CodeUnsupportedMethod = 4,
  CodeIndexOutOfRange = 5,
  CodeUserCanceled = 6,
  CodeNotSFX = 7,
  CodeSFXModuleError = 8,
  CodeCouldNotCreateSFX = 9,
  CodeNoFilesToAdd = 10,
  CodeCouldNotCreateFile = 11,
  CodeCouldNotReadFile = 12,
  CodeUnsafeName = 13,
  CodeArchiveDamaged = 14,
  CodeWrongPassword = 15,
  CodeItemSkipped = 16,
};
const WideString& ErrorMessage(Int32 code);

class TSevenZip {
 public:
  // The engine library's plain name, looked for beside the executable first.
  static constexpr const char16_t* EngineLibraryName = u"7za.dll";

  explicit TSevenZip(const WideString& libraryName = EngineLibraryName);
  ~TSevenZip();
  TSevenZip(const TSevenZip&) = delete;
  TSevenZip& operator=(const TSevenZip&) = delete;

  Int32 Add();
  Int32 Extract(bool TestArchive);
  Int32 List();
  Int32 GetIndexByFilename(const WideString& FileToExtract);
  bool SFXCheck(const WideString& Fn);
  bool ConvertSFXto7z(const WideString& Fn);
  bool Convert7ztoSFX(const WideString& Fn);
  void Cancel();

  // Published properties.
  const WideString& AddRootDir() const { return FRootDir; }
  void SetAddRootDir(const WideString& value) { FRootDir = value; }
  bool SFXCreate() const { return FSFXCreate; }
  void SetSFXCreate(bool value);
  const WideString& SFXModule() const { return FSFXModule; }
  void SetSFXModule(const WideString& value) { FSFXModule = value; }
  AddOpts AddOptions() const { return FAddOptions; }
  void SetAddOptions(AddOpts value) { FAddOptions = value; }
  ExtractOpts ExtractOptions() const { return FExtractOptions; }
  void SetExtractOptions(ExtractOpts value) { FExtractOptions = value; }
  const WideString& ExtrBaseDir() const { return FExtrBaseDir; }
  void SetExtrBaseDir(const WideString& value) { FExtrBaseDir = value; }
  TCompressType LZMACompressType() const { return FCompresstype; }
  void SetLZMACompressType(TCompressType value) { FCompresstype = value; }
  TCompressStrength LZMACompressStrength() const { return FCompstrength; }
  void SetLZMACompressStrength(TCompressStrength value) { FCompstrength = value; }
  TLZMAStrength LZMAStrength() const { return FLZMAStrength; }
  void SetLZMAStrength(TLZMAStrength value) { FLZMAStrength = value; }
  TPPMDMem LPPMDmem() const { return FPPMDMem; }
  void SetLPPMDmem(TPPMDMem value) { FPPMDMem = value; }
  TPPMDSize LPPMDsize() const { return FPPMDSize; }
  void SetLPPMDsize(TPPMDSize value) { FPPMDSize = value; }
  const WideString& SZFileName() const { return FSevenZipFileName; }
  void SetSZFileName(const WideString& value) { FSevenZipFileName = value; }
  Int32 NumberOfFiles() const { return FNumberOfFiles; }
  void SetNumberOfFiles(Int32 value) { FNumberOfFiles = value; }
  Int32 VolumeSize() const { return FVolumeSize; }
  void SetVolumeSize(Int32 value);
  const WideString& Password() const { return FPassword; }
  // The old password's characters are overwritten before the new one is kept.
  void SetPassword(const WideString& value) {
    std::fill(FPassword.begin(), FPassword.end(), u'\0');
    FPassword = value;
  }

  // Events.
  T7zListfileEvent OnListfile;
  T7zAddFileEvent OnAddfile;
  T7zExtractfileEvent OnExtractfile;
  T7zProgressEvent OnProgress;
  T7zPreProgressEvent OnPreProgress;
  T7zMessageEvent OnMessage;
  T7zSetNewNameEvent OnSetAddName;
  T7zSetNewNameEvent OnSetExtractName;
  T7zExtractOverwrite OnExtractOverwrite;
  TOpenVolume OnOpenVolume;

  // Public properties.
  HWND Handle() const { return FHandle; }
  void SetHandle(HWND value) { FHandle = value; }
  Int32 ErrCode() const { return FErrCode; }
  void SetErrCode(Int32 value) { FErrCode = value; }
  Int32 LastError() const { return FLastError; }
  void SetLastError(Int32 value) { FLastError = value; }
  bool IsSFX() const { return FIsSFX; }
  void SetIsSFX(bool value) { FIsSFX = value; }
  Int64 SFXOffset() const { return FSFXOffset; }
  void SetSFXOffset(Int64 value) { FSFXOffset = value; }
  const WideString& SevenZipComment() const { return FComment; }
  void SetSevenZipComment(const WideString& value) { FComment = value; }
  TWideStringList_& Files() { return Ffiles; }
  const TWideStringArray& NamesOfVolumesWritten() const { return FNamesOfVolumesWritten; }
  // The items the last Add handed to the engine, without those it left out.
  const std::vector<TAddedItem>& ItemsAdded() const { return FItemsAdded; }
  // How many entries Add gathered to store; known when it raises OnPreProgress.
  UInt32 EntriesGathered() const { return FEntriesGathered; }

  // Sets ErrCode and raises OnMessage; never raises an error of its own making.
  void ReportError(Int32 code, const WideString& fileName);
  bool MainCancel() const { return FMainCancel; }
  void ClearCancel() { FMainCancel = false; }

  // The engine calls back on threads of its own; these raise the events on
  // the thread that called the running operation. Progress goes without
  // waiting, the latest report replacing one not yet delivered; every other
  // event and question waits for its handler, in the engine's order.
  void RaiseProgress(const WideString& file, Int64 filePosArc, Int64 filePosFile);
  void RaisePreProgress(Int64 maxProgress);
  void RaiseAddfile(const WideString& file, Int64 size);
  void RaiseExtractfile(const WideString& file, Int64 size);
  void RaiseSetAddName(UInt32 index, WideString& name);
  void RaiseSetExtractName(UInt32 index, WideString& name);
  bool RaiseExtractOverwrite(const WideString& file);
  // Runs any other question on the caller's thread, the engine waiting.
  void Ask(const std::function<void()>& question);
  // Where a stream object copies its last error when it is destroyed.
  Int32* LastErrorLocation() { return &FLastError; }

 private:
  WideString AddBackslash(const WideString& path) const;
  void ClearVolumeNames() { FNamesOfVolumesWritten.clear(); }
  void ReleaseEngine();
  // Runs one engine call on a worker thread while this thread delivers its
  // events; rethrows here an error kept on any thread during the call.
  HRESULT RunEngine(const std::function<HRESULT()>& call);
  void AddMaskDirectory(TMyArchiveUpdateCallback& callback, const WideString& directory);
  void ScanDirectory(TMyArchiveUpdateCallback& callback, const WideString& directory, const WideString& filter);
  void GatherEntry(TMyArchiveUpdateCallback& callback, const WideString& entry);
  void ReportUnsearchable(const WideString& directory);
  IOutStream* OpenAddOutput();
  void SetCompressionProperties();
  bool OpenArchive();
  Int32 FindItemIndex(const WideString& name);
  void ListItem(UInt32 index);
  bool BuildSelection(std::vector<UInt32>& selection, Int64& total);

  std::atomic<Int32> FErrCode = 0;
  Int32 FLastError = 0;
  HWND FHandle = nullptr;
  WideString FExtrBaseDir;
  WideString FSevenZipFileName;
  WideString FComment;
  WideString FRootDir;
  TWideStringList_ Ffiles;
  AddOpts FAddOptions;
  ExtractOpts FExtractOptions;
  Int32 FNumberOfFiles = -1;
  bool FIsSFX = false;
  Int64 FSFXOffset = 0;
  bool FSFXCreate = false;
  WideString FSFXModule = u"7z.sfx";
  TCompressType FCompresstype = TCompressType::LZMA;
  TCompressStrength FCompstrength = TCompressStrength::SAVE;
  TLZMAStrength FLZMAStrength = 0;
  TPPMDSize FPPMDSize = 10;
  TPPMDMem FPPMDMem = 30;
  std::atomic<bool> FMainCancel = false;
  TEngineRelay* FRelay = nullptr;
  HMODULE F7zaLibh = nullptr;
  TCreateObjectFunc FCreateObject = nullptr;
  Int32 FVolumeSize = 0;
  WideString FPassword;
  TWideStringArray FNamesOfVolumesWritten;
  std::vector<TAddedItem> FItemsAdded;
  UInt32 FEntriesGathered = 0;
  IInArchive* inA = nullptr;
  IOutArchive* outA = nullptr;
  ISetProperties* sp = nullptr;
};
