// The engine's extraction callback: decides where each item goes, creates
// its directories and its output stream, and reports per-item results.
#pragma once

#include <unordered_set>
#include <vector>

#include "sevenzip/InterfacedObject.h"
#include "sevenzip/SevenZip.h"

class TMyArchiveExtractCallback : public TInterfaced<ICryptoGetTextPassword, IArchiveExtractCallback> {
 public:
  TMyArchiveExtractCallback(TSevenZip* Owner, IInArchive* archive, const WideString& extractDirectory,
                            Int64 filesToExtract);

  HRESULT CryptoGetTextPassword(BSTR* Password) override;
  HRESULT SetTotal(UInt64 total) override;
  HRESULT SetCompleted(const UInt64* completeValue) override;
  HRESULT GetStream(UInt32 index, ISequentialOutStream** outStream, Int32 askExtractMode) override;
  HRESULT PrepareOperation(Int32 askExtractMode) override;
  HRESULT SetOperationResult(Int32 resultEOperationResult) override;

  // Gives the folders this run made from folder items their stored mode and
  // time, deepest first: only once their contents are written, so that the
  // writing neither needs permissions the mode takes away nor moves the time.
  void RestoreFolders();

 protected:
  IUnknown* FindInterface(REFIID iid) override;

 private:
  HRESULT ExtractItem(UInt32 index, ISequentialOutStream** outStream);
  HRESULT CreateOutput(const WideString& path, const WideString& composed, UInt32 attributes,
                       const FILETIME& modified, ISequentialOutStream** outStream);
  bool ReachesThroughALink(const WideString& path, DWORD& existing);
  bool ForceDirectories(const WideString& directory, bool checked);

  struct TFolder {
    WideString Path;
    UInt32 Attributes;
    FILETIME Modified;
  };

  TSevenZip* FSevenzip;
  IInArchive* FArchive;
  WideString FExtractDirectory;
  WideString FProgressFile;
  Int64 FProgressFilePos = 0;
  Int64 FProgressFileSize = 0;
  Int64 FLastPos = 0;
  Int64 FFilestoextract;
  bool FLastFileToExt = false;
  bool FAllFilesExt = false;
  WideString FPassword;
  std::unordered_set<WideString> FCheckedDirectories;
  std::vector<TFolder> FFolders;
};

// A stored path that must never be written: absolute, with a ".." component,
// or a symbolic link (the Unix link type in the attribute word).
bool IsUnsafeItem(const WideString& storedPath, UInt32 attributes);
