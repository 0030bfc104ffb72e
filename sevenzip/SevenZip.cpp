#include "sevenzip/SevenZip.h"

#include <array>

#include "platform/Exceptions.h"
#include "platform/LibraryApi.h"
#include "sevenzip/EngineLibrary.h"
#include "sevenzip/PathUtils.h"

const WideString& ErrorMessage(Int32 code) {
  static const std::array<WideString, 17> Messages = {
      u"Success",
      u"File not found",
      u"Data Error",
      u"CRC Error",
      u"Unsupported Method",
      u"Index out of Range",
      u"User canceled operation",
      u"File is not an 7z SFX archive",
      u"SFXModule error ( Not found )",
      u"Could not create SFX",
      u"No files to add",
      u"Could not create file",
      u"Could not read file",
      u"Unsafe file name",
      u"Archive is damaged",
      u"Wrong password",
      u"Item skipped",
  };
  static const WideString Unknown;
  return code >= 0 && code < static_cast<Int32>(Messages.size()) ? Messages[static_cast<std::size_t>(code)] : Unknown;
}

TSevenZip::TSevenZip(const WideString& libraryName) {
  if (!BindEngine(libraryName, F7zaLibh, FCreateObject))
    throw Exception(u"Could not load CreateObject function from 7za.dll\r\nPerhaps 7za.dll not found");
  FCreateObject(&CLSID_CFormat7z, &IID_IInArchive, reinterpret_cast<void**>(&inA));
  FCreateObject(&CLSID_CFormat7z, &IID_IOutArchive, reinterpret_cast<void**>(&outA));
  FCreateObject(&CLSID_CFormat7z, &IID_ISetProperties, reinterpret_cast<void**>(&sp));
}

TSevenZip::~TSevenZip() {
  ClearVolumeNames();
  ReleaseEngine();
  Ffiles.Clear();
}

void TSevenZip::ReleaseEngine() {
  for (IUnknown* object : {static_cast<IUnknown*>(inA), static_cast<IUnknown*>(outA), static_cast<IUnknown*>(sp)})
    if (object) object->Release();
  inA = nullptr;
  outA = nullptr;
  sp = nullptr;
  if (F7zaLibh) FreeLibrary(F7zaLibh);
  F7zaLibh = nullptr;
}

void TSevenZip::Cancel() { FMainCancel = true; }

WideString TSevenZip::AddBackslash(const WideString& path) const {
  return path.empty() || path.back() == u'\\' ? path : path + u'\\';
}

void TSevenZip::SetVolumeSize(Int32 value) {
  const bool raise = FSFXCreate && value > 0 && value < FSFXOffset;
  FVolumeSize = raise ? static_cast<Int32>(FSFXOffset + 7) : value;
}

void TSevenZip::SetSFXCreate(bool value) {
  FSFXCreate = false;
  if (!value) return;
  const DWORD moduleSize = WideFileSize(FSFXModule);
  if (moduleSize == 0) return;
  if (FVolumeSize > 0 && static_cast<Int64>(moduleSize) + 7 > FVolumeSize)
    FVolumeSize = static_cast<Int32>(moduleSize + 7);
  FSFXOffset = moduleSize;
  FSFXCreate = true;
}
